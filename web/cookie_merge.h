#pragma once
// Cookie texts: pieces "name=value" separated by ";" when read and by "; "
// when written. MergeCookies combines the cookies a caller held with the ones
// a response set, giving the cookie text the next request should send.

#include "text/text_types.h"

// The received pieces in their order, then every held piece whose name the
// response did not set; pieces whose value is "deleted" are dropped, and of
// identical pieces only the first stays. Blanks are removed from both texts
// first. `held` receives the merged text as well; `received` keeps its former
// value without blanks.
Text MergeCookies(Text& held, Text& received);

// The bytes before the first "=" of a piece, trimmed of blanks; a piece
// without "=" is its own name, as it stands.
Text CookieName(const Text& piece);

// True when some element of `list` has the cookie name `name` (exact bytes).
bool NameInList(const TextArray& list, const Text& name);

// `text` split at `separator`, each piece kept at its first occurrence only,
// joined again with `separator`.
Text RemoveDuplicates(const Text& text, const Text& separator);

// 1-based index of the first element equal to `text`; -1 when there is none.
int IndexOfText(const TextArray& array, const Text& text);
