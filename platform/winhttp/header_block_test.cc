#include "platform/winhttp/header_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform::winhttp {
namespace {

constexpr DWORD kAdd = WINHTTP_ADDREQ_FLAG_ADD;
constexpr DWORD kReplace = WINHTTP_ADDREQ_FLAG_REPLACE;
constexpr DWORD kAddIfNew = WINHTTP_ADDREQ_FLAG_ADD_IF_NEW;

std::string Lines(const HeaderBlock& block) {
  std::string out;
  for (const HeaderLine& line : block.lines()) out += line.name + "=" + line.value + "|";
  return out;
}

struct Step {
  std::u16string block;
  DWORD modifiers;
  bool ok;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
  std::string expected;
};

TEST(HeaderBlock, AddsReplacesAndRejects) {
  const Case cases[] = {
      {"later line of a block replaces earlier one in place",
       {{u"A: 1\r\nB: 2\r\nA: 3", kAdd | kReplace, true}},
       "A=3|B=2|"},
      {"names match ignoring case; the new name's spelling is kept",
       {{u"User-Agent: x", kAdd | kReplace, true}, {u"user-agent: y", kAdd | kReplace, true}},
       "user-agent=y|"},
      {"empty lines and a trailing CRLF are skipped",
       {{u"\r\nA: 1\r\n\r\nB:2\r\n", kAdd | kReplace, true}},
       "A=1|B=2|"},
      {"blanks around name and value are trimmed, inner ones kept",
       {{u"  X-Y :  a  b \t", kAdd, true}},
       "X-Y=a  b|"},
      {"plain ADD keeps duplicates", {{u"A: 1\r\nA: 2", kAdd, true}}, "A=1|A=2|"},
      {"empty value allowed", {{u"X-Empty:", kAdd, true}}, "X-Empty=|"},
      {"non-ASCII value becomes UTF-8", {{u"X: 中", kAdd, true}}, "X=\xE4\xB8\xAD|"},
      {"REPLACE alone replaces, or removes on an empty value",
       {{u"A: 1\r\nB: 2\r\nA: 3", kAdd, true}, {u"A: 9", kReplace, true}, {u"B:", kReplace, true}},
       "A=9|A=3|"},
      {"REPLACE alone fails on an absent name", {{u"A: 1", kReplace, false}}, ""},
      {"ADD_IF_NEW refuses a present name",
       {{u"A: 1", kAdd, true}, {u"a: 2", kAddIfNew, false}, {u"B: 2", kAddIfNew, true}},
       "A=1|B=2|"},
      {"a bad line rejects the whole block",
       {{u"A: 1\r\nno colon here\r\nB: 2", kAdd | kReplace, false}},
       ""},
      {"no name", {{u": v", kAdd, false}}, ""},
      {"blank inside the name", {{u"Bad Name: v", kAdd, false}}, ""},
      {"lone LF inside a line cannot smuggle a header", {{u"A: 1\nEvil: 2", kAdd, false}}, ""},
      {"lone CR", {{u"A: 1\rEvil: 2", kAdd, false}}, ""},
      {"control byte in value", {{u"A: \x01", kAdd, false}}, ""},
      {"non-ASCII name", {{u"Ä: 1", kAdd, false}}, ""},
      {"coalesce modifiers are not offered", {{u"A: 1", 0x40000000, false}}, ""},
  };
  for (const Case& c : cases) {
    HeaderBlock block;
    for (const Step& step : c.steps) {
      EXPECT_EQ(block.Add(step.block, step.modifiers), step.ok) << c.name;
    }
    EXPECT_EQ(Lines(block), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace platform::winhttp
