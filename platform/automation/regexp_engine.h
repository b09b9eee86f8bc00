#pragma once
// The regular-expression engine behind "VBScript.RegExp": PCRE2's 16-bit
// library over UTF-16 code units, set up to follow VBScript's rules:
// - every code unit is one character (no UTF or Unicode properties), so \s is
//   exactly tab, LF, VT, FF, CR and blank, \w is [A-Za-z0-9_], \d is [0-9];
// - "." matches anything but a line feed (a carriage return included) and
//   never a line feed, whatever the options;
// - "^" and "$" match at the start and the very end of the subject only,
//   or, with Multiline, also after and before every line feed;
// - \xhh and \uhhhh give character codes, as in JavaScript;
// - a back reference to a group that took no part matches the empty string;
// - in a global search an empty match moves the next try on by one unit.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::com::regexp {

struct Options {
  bool ignoreCase = false;
  bool multiline = false;
  bool operator==(const Options&) const = default;
};

// Where the matches of one search lie in its subject.
class MatchList {
 public:
  static constexpr std::size_t kUnset = static_cast<std::size_t>(-1);

  MatchList() = default;
  explicit MatchList(int groupCount) : groupCount_(groupCount) {}

  int GroupCount() const { return groupCount_; }
  std::size_t Count() const;
  // Group 0 is the whole match. Start is kUnset for a group that took no part.
  std::size_t Start(std::size_t match, int group) const;
  std::size_t End(std::size_t match, int group) const;
  bool IsSet(std::size_t match, int group) const { return Start(match, group) != kUnset; }

  // Appends one match: (groupCount + 1) pairs of offsets.
  void Append(const std::size_t* offsets);

 private:
  int groupCount_ = 0;
  std::vector<std::size_t> offsets_;
};

class CompiledPattern {
 public:
  // Null when the pattern does not compile.
  static std::shared_ptr<const CompiledPattern> Compile(std::u16string_view pattern,
                                                        const Options& options);
  ~CompiledPattern();
  CompiledPattern(const CompiledPattern&) = delete;
  CompiledPattern& operator=(const CompiledPattern&) = delete;

  int GroupCount() const { return groupCount_; }

  // Every match (or only the first unless `global`). False when matching
  // itself fails, for instance when a pattern backtracks past the limits.
  bool Find(std::u16string_view subject, bool global, MatchList& matches) const;

  // `subject` with its matches (every one or the first) replaced by
  // `replacement`, where $1..$99, $&, $`, $' and $$ are expanded.
  bool Replace(std::u16string_view subject, std::u16string_view replacement, bool global,
               std::u16string& result) const;

 private:
  struct Code;
  explicit CompiledPattern(Code* code, int groupCount);

  Code* code_;
  int groupCount_;
};

}  // namespace platform::com::regexp
