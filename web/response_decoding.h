#pragma once
// Turning a response body into Text in code page 936: the bytes are read as
// code page 936, and when a meta tag near the start of the page declares
// another charset they are decoded again through the "Adodb.Stream" object.

#include "text/regex_object.h"
#include "text/text_types.h"

// Uses `regex` (the fetch's own regular-expression object) for the charset
// search. Pumps window events once after the charset step when the search
// ran. Never fails: without a usable charset the bytes are taken as they are.
Text DecodeResponseBody(const Bytes& body, RegexObject& regex);

// The body decoded from `charset` through the stream object; `fallback` when
// the stream cannot be created, the empty Text when it cannot read the text.
Text DecodeThroughStream(const Bytes& body, const Text& charset, const Text& fallback);
