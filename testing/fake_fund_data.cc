#include "testing/fake_fund_data.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

namespace testing_support {
namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::weekday;
using std::chrono::year;
using std::chrono::year_month_day;

sys_days ToSysDays(const FundDay& d) {
  return sys_days(year_month_day(year(d.year), month(static_cast<unsigned>(d.month)),
                                 day(static_cast<unsigned>(d.day))));
}

// A "YYYY-MM-DD" text as days, or false when it is not such a text.
bool ParseIsoDate(const std::string& text, sys_days& out) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) {
    return false;
  }
  const year_month_day date(year(y), month(static_cast<unsigned>(m)),
                            day(static_cast<unsigned>(d)));
  if (!date.ok()) return false;
  out = sys_days(date);
  return true;
}

const char* ChangeClass(DayChange change) {
  switch (change) {
    case DayChange::kRise:
      return "tor bold red";
    case DayChange::kFall:
      return "tor bold grn";
    case DayChange::kFlat:
      break;
  }
  return "tor bold bck";
}

std::string FormatNumber(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string Row(const FundDay& d, double previousValue) {
  const double rate = previousValue > 0 ? (d.netValue / previousValue - 1.0) * 100.0 : 0.0;
  const std::string rateText = d.change == DayChange::kFlat ? "" : FormatNumber("%.2f%%", rate);
  const std::string value = FormatNumber("%.4f", d.netValue);
  return "<tr><td>" + d.DateText() + "</td><td class='tor bold'>" + value +
         "</td><td class='tor bold'>" + value + "</td><td class='" + ChangeClass(d.change) + "'>" +
         rateText + "</td><td>开放申购</td><td>开放赎回</td><td class='red unbold'></td></tr>";
}

std::string ScriptEntry(const FakeFund& f) {
  return "[\"" + f.code + "\",\"" + f.abbreviation + "\",\"" + f.nameUtf8 + "\",\"" + f.typeUtf8 +
         "\",\"" + f.pinyin + "\"]";
}

// Two decimals, half away from zero, written without trailing zeros.
std::string PercentText(int part, int total) {
  if (total == 0) return "--%";
  const double hundredths = std::floor(static_cast<double>(part) * 10000.0 / total + 0.5);
  std::string text = FormatNumber("%.2f", hundredths / 100.0);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text + "%";
}

}  // namespace

std::string FundDay::DateText() const {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
  return buffer;
}

FakeFund MakeFund(const std::string& code, const std::string& nameUtf8, const std::string& typeUtf8,
                  std::vector<FundDay> days) {
  FakeFund fund;
  fund.code = code;
  fund.abbreviation = "ABBR" + code;
  fund.nameUtf8 = nameUtf8;
  fund.typeUtf8 = typeUtf8;
  fund.pinyin = "PINYIN";
  fund.days = std::move(days);
  return fund;
}

std::vector<FundDay> MakeTradingDays(int count, int endYear, int endMonth, int endDay,
                                     std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, 9);
  std::vector<FundDay> out;
  sys_days date = sys_days(year_month_day(year(endYear), month(static_cast<unsigned>(endMonth)),
                                          day(static_cast<unsigned>(endDay))));
  double value = 2.0;
  while (static_cast<int>(out.size()) < count) {
    const weekday w(date);
    if (w != std::chrono::Saturday && w != std::chrono::Sunday) {
      const year_month_day ymd(date);
      FundDay d;
      d.year = static_cast<int>(ymd.year());
      d.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
      d.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
      const int roll = pick(random);
      d.change = roll < 5 ? DayChange::kRise : roll < 9 ? DayChange::kFall : DayChange::kFlat;
      value *= d.change == DayChange::kRise ? 1.01 : d.change == DayChange::kFall ? 0.99 : 1.0;
      d.netValue = value;
      out.push_back(d);
    }
    date -= days(1);
  }
  return out;
}

void FakeFundData::AddFund(FakeFund fund) {
  const std::string code = fund.code;
  funds_[code] = std::move(fund);
}

const FakeFund* FakeFundData::Find(const std::string& code) const {
  const auto it = funds_.find(code);
  return it == funds_.end() ? nullptr : &it->second;
}

std::string FakeFundData::FundListScript(std::size_t minimumBytes) const {
  std::string script = "var r = [";
  bool first = true;
  for (const auto& [code, fund] : funds_) {
    if (!first) script += ",";
    first = false;
    script += ScriptEntry(fund);
  }
  // Filler funds with codes starting at 900000, which tests do not use.
  for (int n = 0; script.size() < minimumBytes; ++n) {
    FakeFund filler;
    char code[16];
    std::snprintf(code, sizeof code, "%06d", 900000 + n % 100000);
    filler.code = code;
    filler.abbreviation = "TJZQ" + std::to_string(n);
    filler.nameUtf8 = "天弘增强债券";
    filler.typeUtf8 = "债券型-混合债";
    filler.pinyin = "TIANHONGZENGQIANGZHAIQUAN";
    if (!first) script += ",";
    first = false;
    script += ScriptEntry(filler);
  }
  return script + "];";
}

std::vector<FundDay> FakeFundData::DaysInRange(const std::string& code, const std::string& sdate,
                                               const std::string& edate) const {
  std::vector<FundDay> out;
  const FakeFund* fund = Find(code);
  if (fund == nullptr) return out;
  sys_days from{}, to{};
  const bool hasFrom = ParseIsoDate(sdate, from);
  const bool hasTo = ParseIsoDate(edate, to);
  for (const FundDay& d : fund->days) {
    const sys_days at = ToSysDays(d);
    if (hasFrom && at < from) continue;
    if (hasTo && at > to) continue;
    out.push_back(d);
  }
  return out;
}

std::string FakeFundData::TablePage(const std::string& code, int page, int pageSize,
                                    const std::string& sdate, const std::string& edate) const {
  const std::vector<FundDay> inRange = DaysInRange(code, sdate, edate);
  const int records = static_cast<int>(inRange.size());
  if (pageSize < 1) pageSize = 20;
  const int pages = (records + pageSize - 1) / pageSize;
  std::string rows;
  if (records == 0) {
    rows = "<tr><td colspan='7' align='center'>暂无数据!</td></tr>";
  } else {
    const long long first = static_cast<long long>(page - 1) * pageSize;
    for (long long i = first; i >= 0 && i < first + pageSize && i < records; ++i) {
      const std::size_t index = static_cast<std::size_t>(i);
      const double previous =
          index + 1 < inRange.size() ? inRange[index + 1].netValue : inRange[index].netValue;
      rows += Row(inRange[index], previous);
    }
  }
  return "var apidata={ content:\"<table class='w782 comm lsjz'><thead><tr>"
         "<th class='first'>净值日期</th><th>单位净值</th><th>累计净值</th><th>日增长率</th>"
         "<th>申购状态</th><th>赎回状态</th><th class='tor last'>分红送配</th></tr></thead>"
         "<tbody>" +
         rows + "</tbody></table>\",records:" + std::to_string(records) +
         ",pages:" + std::to_string(pages) + ",curpage:" + std::to_string(page) + "};";
}

std::array<std::string, 15> ExpectedStatistics(const std::vector<FundDay>& days) {
  std::array<int, 5> rises{}, falls{};
  for (const FundDay& d : days) {
    const unsigned index = weekday(ToSysDays(d)).iso_encoding();  // 1 = Monday
    if (index < 1 || index > 5) continue;
    if (d.change == DayChange::kRise) ++rises[index - 1];
    if (d.change == DayChange::kFall) ++falls[index - 1];
  }
  std::array<std::string, 15> labels;
  for (int k = 0; k < 5; ++k) {
    const int total = rises[k] + falls[k];
    labels[k] = PercentText(rises[k], total);
    labels[5 + k] = PercentText(falls[k], total);
    labels[10 + k] = std::to_string(total);
  }
  return labels;
}

}  // namespace testing_support
