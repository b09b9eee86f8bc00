#pragma once
// The data of a fake fund-data service, shaped like the real one: a fund list
// script in UTF-8 JavaScript, and net-value table pages that the service cuts
// into pages of its own size, newest day first. Also the independent
// expectations a test compares the window's labels with.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

enum class DayChange { kRise, kFall, kFlat };

struct FundDay {
  int year = 0;
  int month = 0;
  int day = 0;
  DayChange change = DayChange::kFlat;
  double netValue = 1.0;
  // "YYYY-MM-DD"
  std::string DateText() const;
};

struct FakeFund {
  std::string code;
  std::string abbreviation;   // e.g. "HXCZHH"
  std::string nameUtf8;       // e.g. "华夏成长混合"
  std::string typeUtf8;       // e.g. "混合型-灵活"
  std::string pinyin;         // e.g. "HUAXIACHENGZHANGHUNHE"
  std::vector<FundDay> days;  // newest first, as the service lists them
};

// A fund with the given code, name, type and days (abbreviation and pinyin
// filled in).
FakeFund MakeFund(const std::string& code, const std::string& nameUtf8, const std::string& typeUtf8,
                  std::vector<FundDay> days);

// `count` trading days (Monday to Friday) ending on the given date, newest
// first, with rises, falls and flat days drawn from `seed`.
std::vector<FundDay> MakeTradingDays(int count, int endYear, int endMonth, int endDay,
                                     std::uint32_t seed);

class FakeFundData {
 public:
  void AddFund(FakeFund fund);
  const FakeFund* Find(const std::string& code) const;

  // The fund list script: one entry per fund, then filler entries of
  // generated funds until the script is at least `minimumBytes` long.
  std::string FundListScript(std::size_t minimumBytes) const;

  // One table page as the service answers it. `sdate`/`edate` bound the days
  // when they are valid "YYYY-MM-DD" texts; otherwise the range is open.
  std::string TablePage(const std::string& code, int page, int pageSize, const std::string& sdate,
                        const std::string& edate) const;

  // The days of `code` inside the range, newest first.
  std::vector<FundDay> DaysInRange(const std::string& code, const std::string& sdate,
                                   const std::string& edate) const;

 private:
  std::map<std::string, FakeFund> funds_;
};

// The fifteen statistics label texts (five rise, five fall, five day counts,
// in UTF-8) for `days`, computed without the program's own code.
std::array<std::string, 15> ExpectedStatistics(const std::vector<FundDay>& days);

}  // namespace testing_support
