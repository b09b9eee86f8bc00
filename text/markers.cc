#include "text/markers.h"

#include "text/char_scan.h"
#include "text/gbk_chars.h"
#include "text/pump_events.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/text_scan.h"

using text_internal::BlankLengthAt;
using text_internal::CharLengthAt;
using text_internal::CharMatcher;
using text_internal::kNotFound;
using text_internal::View;

Text TextBetween(const Text& text, const Text& left, const Text& right, std::int32_t start,
                 bool ignoreCase) {
  const Text quoteMarker(gbk::kQuoteMarker);
  const Text quote("\"");
  const Text l = ReplaceText(left, quoteMarker, quote, true);
  const Text r = ReplaceText(right, quoteMarker, quote, true);
  int p = FindText(text, l, start, ignoreCase);
  if (p == -1) return Text();
  p += TextLength(l);
  const int q = FindText(text, r, p, ignoreCase);
  if (q == -1) return Text();
  return TextMid(text, p, q - p);
}

namespace {

// Finds the right marker. A later search from a start that the previous
// search stepped over (on a character boundary of its scan) before reaching
// its match must find that same match, so it is answered without scanning
// the stretch again; this keeps the extraction linear even when empty pieces
// make the searches start again inside an already scanned stretch.
class RightMarkerFinder {
 public:
  RightMarkerFinder(std::string_view text, std::string_view marker, bool ignoreCase)
      : text_(text), matcher_(marker, ignoreCase) {}

  std::size_t Find(std::size_t from) {
    if (found_ != kNotFound && from >= searchStart_ && from <= found_) {
      while (step_ < from) step_ += CharLengthAt(text_, step_);
      if (step_ == from) return found_;
    }
    searchStart_ = from;
    step_ = from;
    found_ = matcher_.FindFrom(text_, from);
    return found_;
  }

 private:
  std::string_view text_;
  CharMatcher matcher_;
  std::size_t searchStart_ = 0;
  std::size_t step_ = 0;
  std::size_t found_ = kNotFound;
};

// Remembers the last piece that held nothing but blanks. The next round
// starts one marker on, inside that piece, and usually ends at the same right
// marker; when it starts on one of the blank characters walked before, it is
// blank too and needs no second walk. Only blank markers make this happen,
// but without it they would make the extraction quadratic.
class BlankPieceMemo {
 public:
  bool KnownBlank(std::string_view text, std::size_t from, std::size_t to) {
    if (to != to_ || from < from_ || from > to_) return false;
    // Every character from from_ to to_ is a space or a full-width space.
    while (step_ < from) {
      const std::size_t blank = BlankLengthAt(text, step_);
      if (blank == 0) return false;  // not the stretch remembered: no shortcut
      step_ += blank;
    }
    return step_ == from;
  }
  void Remember(std::size_t from, std::size_t to) {
    from_ = from;
    step_ = from;
    to_ = to;
  }

 private:
  std::size_t from_ = 0;
  std::size_t step_ = 0;
  std::size_t to_ = kNotFound;
};

}  // namespace

std::int32_t AllTextsBetween(const Text& text, const Text& left, const Text& right,
                             TextArray& output, bool caseSensitive, std::int32_t maxLength,
                             const Text& prefix, const Text& suffix, bool keepLeft, bool keepRight,
                             std::int32_t start) {
  ArrayClear(output);
  // An empty marker would be found at the same place again and again.
  if (left.empty() || right.empty()) return 0;

  const std::string_view source = View(text);
  const bool ignoreCase = !caseSensitive;
  const CharMatcher leftMatcher(View(left), ignoreCase);
  RightMarkerFinder rightFinder(source, View(right), ignoreCase);
  BlankPieceMemo blankPieces;

  std::size_t pos = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  for (;;) {
    const std::size_t leftAt = leftMatcher.FindFrom(source, pos);
    if (leftAt == kNotFound) break;
    const std::size_t inner = leftAt + left.size();
    const std::size_t rightAt = rightFinder.Find(inner);
    if (rightAt == kNotFound) break;

    std::string_view trimmed;
    if (!blankPieces.KnownBlank(source, inner, rightAt)) {
      trimmed = text_internal::TrimBlanks(source.substr(inner, rightAt - inner));
      if (trimmed.empty()) blankPieces.Remember(inner, rightAt);
    }
    const std::size_t length = prefix.size() + trimmed.size() + suffix.size();
    if (length != 0) {
      Text piece;
      piece.reserve(length + (keepLeft ? left.size() : 0) + (keepRight ? right.size() : 0));
      if (keepLeft) piece += left;
      piece += prefix;
      piece += trimmed;
      piece += suffix;
      if (keepRight) piece += right;
      if (maxLength != 0) {
        if (piece.size() < static_cast<std::size_t>(maxLength < 0 ? 0 : maxLength)) {
          output.Append(std::move(piece));
        }
        PumpEvents();
      } else {
        output.Append(std::move(piece));
      }
      pos = rightAt;
    } else {
      pos = inner;
    }
    PumpEvents();
    PumpEvents();
    PumpEvents();
  }
  return ArraySize(output);
}
