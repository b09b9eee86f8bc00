#include "web/cookie_merge.h"

#include "text/text.h"

namespace {

// A piece whose value is the word "deleted" is a cookie the server removed.
bool IsDeletedPiece(const Text& piece) { return TextRight(piece, 8) == "=deleted"; }

}  // namespace

Text CookieName(const Text& piece) {
  const int equals = FindText(piece, "=");
  if (equals == -1) return piece;
  return TrimText(TextLeft(piece, equals - 1));
}

bool NameInList(const TextArray& list, const Text& name) {
  for (const Text& element : list) {
    if (CookieName(element) == name) return true;
  }
  return false;
}

int IndexOfText(const TextArray& array, const Text& text) {
  for (int index = 1; index <= ArraySize(array); ++index) {
    if (array.At(index) == text) return index;
  }
  return -1;
}

Text RemoveDuplicates(const Text& text, const Text& separator) {
  const TextArray parts = SplitText(text, separator);
  TextArray seen;
  Text out;
  for (const Text& part : parts) {
    if (IndexOfText(seen, part) == -1) {
      ArrayAppend(seen, part);
      out += part;
      out += separator;
    }
  }
  return TextLeft(out, TextLength(out) - TextLength(separator));
}

Text MergeCookies(Text& held, Text& received) {
  held = RemoveSpaces(held);
  received = RemoveSpaces(received);

  const TextArray heldPieces = SplitText(held, ";");
  TextArray pieces = SplitText(received, ";");
  for (const Text& piece : heldPieces) {
    // `pieces` grows as held pieces are appended, so of several held pieces
    // with one name only the first gets in.
    if (!NameInList(pieces, CookieName(piece))) ArrayAppend(pieces, piece);
  }

  held.clear();
  for (const Text& piece : pieces) {
    if (IsDeletedPiece(piece)) continue;
    held += piece;
    held += "; ";
  }
  held = TextLeft(held, TextLength(held) - 2);
  held = RemoveDuplicates(held, "; ");
  return held;
}
