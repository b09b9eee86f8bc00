#define PCRE2_CODE_UNIT_WIDTH 16
#include "platform/automation/regexp_engine.h"

#include <pcre2.h>

#include <algorithm>
#include <new>

namespace platform::com::regexp {
namespace {

PCRE2_SPTR16 Units(std::u16string_view text) { return reinterpret_cast<PCRE2_SPTR16>(text.data()); }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Appends the expansion of `replacement` for match `m`.
void ExpandReplacement(std::u16string_view subject, std::u16string_view replacement,
                       const MatchList& matches, std::size_t m, std::u16string& out) {
  const int groups = matches.GroupCount();
  auto appendGroup = [&](int group) {
    if (matches.IsSet(m, group)) {
      const std::size_t start = matches.Start(m, group);
      out.append(subject.substr(start, matches.End(m, group) - start));
    }
  };
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char16_t c = replacement[i];
    if (c != u'$' || i + 1 == replacement.size()) {
      out += c;
      continue;
    }
    const char16_t next = replacement[i + 1];
    if (next == u'$') {
      out += u'$';
      ++i;
    } else if (next == u'&') {
      appendGroup(0);
      ++i;
    } else if (next == u'`') {
      out.append(subject.substr(0, matches.Start(m, 0)));
      ++i;
    } else if (next == u'\'') {
      out.append(subject.substr(matches.End(m, 0)));
      ++i;
    } else if (IsDigit(next)) {
      // Two digits when they name a group, else one digit when it does.
      const int one = next - u'0';
      if (i + 2 < replacement.size() && IsDigit(replacement[i + 2])) {
        const int two = one * 10 + (replacement[i + 2] - u'0');
        if (two >= 1 && two <= groups) {
          appendGroup(two);
          i += 2;
          continue;
        }
      }
      if (one >= 1 && one <= groups) {
        appendGroup(one);
        ++i;
      } else {
        out += c;
      }
    } else {
      out += c;
    }
  }
}

}  // namespace

std::size_t MatchList::Count() const {
  return offsets_.size() / (2 * static_cast<std::size_t>(groupCount_ + 1));
}

std::size_t MatchList::Start(std::size_t match, int group) const {
  return offsets_[(match * static_cast<std::size_t>(groupCount_ + 1) + group) * 2];
}

std::size_t MatchList::End(std::size_t match, int group) const {
  return offsets_[(match * static_cast<std::size_t>(groupCount_ + 1) + group) * 2 + 1];
}

void MatchList::Append(const std::size_t* offsets) {
  offsets_.insert(offsets_.end(), offsets, offsets + 2 * (groupCount_ + 1));
}

struct CompiledPattern::Code {
  pcre2_code* code = nullptr;
  ~Code() { pcre2_code_free(code); }
};

CompiledPattern::CompiledPattern(Code* code, int groupCount)
    : code_(code), groupCount_(groupCount) {}

CompiledPattern::~CompiledPattern() { delete code_; }

std::shared_ptr<const CompiledPattern> CompiledPattern::Compile(std::u16string_view pattern,
                                                                const Options& options) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (context == nullptr) return nullptr;
  // Line feed alone ends a line: "." excludes it and nothing else, and in
  // multi-line mode "^" / "$" meet at it.
  pcre2_set_newline(context, PCRE2_NEWLINE_LF);
  pcre2_set_bsr(context, PCRE2_BSR_ANYCRLF);
  std::uint32_t flags = PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF |
                        PCRE2_NEVER_UTF | PCRE2_NEVER_UCP | PCRE2_DOLLAR_ENDONLY;
  if (options.ignoreCase) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* code =
      pcre2_compile(Units(pattern), pattern.size(), flags, &errorCode, &errorOffset, context);
  pcre2_compile_context_free(context);
  if (code == nullptr) return nullptr;
  std::uint32_t captures = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
  auto* holder = new Code;
  holder->code = code;
  return std::shared_ptr<const CompiledPattern>(
      new CompiledPattern(holder, static_cast<int>(captures)));
}

bool CompiledPattern::Find(std::u16string_view subject, bool global, MatchList& matches) const {
  matches = MatchList(groupCount_);
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code_->code, nullptr);
  if (data == nullptr) throw std::bad_alloc();
  const std::size_t pairs = static_cast<std::size_t>(groupCount_) + 1;
  std::vector<std::size_t> offsets(2 * pairs);
  bool ok = true;
  std::size_t start = 0;
  try {
    while (start <= subject.size()) {
      const int rc =
          pcre2_match(code_->code, Units(subject), subject.size(), start, 0, data, nullptr);
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc < 0) {
        ok = false;
        break;
      }
      const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data);
      // rc is one more than the highest group set (0 only if the vector
      // were too small, which a vector sized from the pattern never is).
      const std::size_t used = rc == 0 ? pairs : static_cast<std::size_t>(rc);
      for (std::size_t g = 0; g < pairs; ++g) {
        const bool set = g < used && vector[2 * g] != PCRE2_UNSET;
        offsets[2 * g] = set ? vector[2 * g] : MatchList::kUnset;
        offsets[2 * g + 1] = set ? std::max(vector[2 * g], vector[2 * g + 1]) : MatchList::kUnset;
      }
      matches.Append(offsets.data());
      if (!global) break;
      // A match that ends where it started (or, through \K, before the
      // place the try began) would be found again: move on by one unit.
      std::size_t next = offsets[1];
      if (next <= offsets[0] || next <= start) next = std::max(offsets[0], start) + 1;
      start = next;
    }
  } catch (...) {
    pcre2_match_data_free(data);
    throw;
  }
  pcre2_match_data_free(data);
  return ok;
}

bool CompiledPattern::Replace(std::u16string_view subject, std::u16string_view replacement,
                              bool global, std::u16string& result) const {
  MatchList matches;
  if (!Find(subject, global, matches)) return false;
  result.clear();
  std::size_t copied = 0;
  for (std::size_t m = 0; m < matches.Count(); ++m) {
    const std::size_t start = std::max(matches.Start(m, 0), copied);
    result.append(subject.substr(copied, start - copied));
    ExpandReplacement(subject, replacement, matches, m, result);
    copied = std::max(matches.End(m, 0), start);
  }
  result.append(subject.substr(copied));
  return true;
}

}  // namespace platform::com::regexp
