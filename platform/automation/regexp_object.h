#pragma once
// "VBScript.RegExp": properties Pattern, IgnoreCase, Global, Multiline;
// methods Execute(subject) -> match collection, Test(subject) -> bool and
// Replace(subject, replacement) -> string. A pattern that does not compile
// makes Execute, Test and Replace fail. It has no member "Singleline".

#include <cstdint>

#include "platform/automation/dispatch.h"

namespace platform::com {

// The factory registered for "VBScript.RegExp".
HResult CreateRegExpObject(std::uint32_t context, Dispatch** object);

}  // namespace platform::com
