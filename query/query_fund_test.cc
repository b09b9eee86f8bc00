#include "query/query_fund.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fake_fund_service.h"
#include "testing/recording_view.h"
#include "text/pump_events.h"
#include "text/utf8_literal.h"

#include <cstdlib>

namespace {

using testing_support::DayChange;
using testing_support::ExpectedStatistics;
using testing_support::FakeFund;
using testing_support::FakeFundData;
using testing_support::FakeFundService;
using testing_support::FakeFundServiceOptions;
using testing_support::FundDay;
using testing_support::HttpRequest;
using testing_support::LoopbackServer;
using testing_support::MakeFund;
using testing_support::MakeTradingDays;
using testing_support::OkResponse;
using testing_support::QueryValue;
using testing_support::ResponseScript;

FakeFundData SampleData() {
  FakeFundData data;
  data.AddFund(
      MakeFund("000001", "华夏成长混合", "混合型-灵活", MakeTradingDays(95, 2020, 9, 24, 7)));
  data.AddFund(
      MakeFund("110022", "易方达消费行业股票", "股票型", MakeTradingDays(33, 2021, 3, 5, 11)));
  return data;
}

FakeFundServiceOptions SmallScript() {
  FakeFundServiceOptions options;
  options.scriptBytes = 20'000;
  return options;
}

Text ToText(const std::string& utf8) { return Utf8Literal(utf8); }

// Every statistics label equals the independent computation over `days`.
void ExpectStatistics(const RecordingView& view, const std::vector<FundDay>& days) {
  const auto expected = ExpectedStatistics(days);
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(view.LabelText(RiseLabel(k)), ToText(expected[k - 1])) << "rise, weekday " << k;
    EXPECT_EQ(view.LabelText(FallLabel(k)), ToText(expected[4 + k])) << "fall, weekday " << k;
    EXPECT_EQ(view.LabelText(DayCountLabel(k)), ToText(expected[9 + k])) << "days, weekday " << k;
  }
}

void ExpectEmptyStatistics(const RecordingView& view) {
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(view.LabelText(RiseLabel(k)), Text("--%"));
    EXPECT_EQ(view.LabelText(FallLabel(k)), Text("--%"));
    EXPECT_EQ(view.LabelText(DayCountLabel(k)), Text("0"));
  }
}

std::string TablePath(const std::string& code, int page) {
  return "/f10/F10DataApi.aspx?type=lsjz&code=" + code + "&page=" + std::to_string(page) +
         "&per=40";
}

TEST(QueryFund, FundOverSeveralPagesCountsEveryRowOnceAndShowsTheName) {
  FakeFundService service(SampleData(), SmallScript());  // 95 days, 20 a page: 5 pages
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");

  QueryFund(view, Text(service.BaseUrl()));

  EXPECT_EQ(view.LabelText(ResultLabel::标签基金名称), ToText("华夏成长混合混合型灵活"));
  ExpectStatistics(view, service.data().Find("000001")->days);
  const std::vector<std::string> expectedTargets = {
      "/js/fundcode_search.js", TablePath("000001", 1), TablePath("000001", 1),
      TablePath("000001", 2),   TablePath("000001", 3), TablePath("000001", 4),
      TablePath("000001", 5)};
  EXPECT_EQ(service.RequestTargets(), expectedTargets);
}

TEST(QueryFund, StartsByClearingAllSixteenLabelsInOrder) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "110022");

  QueryFund(view, Text(service.BaseUrl()));

  ASSERT_GE(view.writes().size(), 16u + 1u + 15u);
  std::vector<ResultLabel> expectedOrder = {ResultLabel::标签基金名称};
  for (int k = 1; k <= 5; ++k) expectedOrder.push_back(RiseLabel(k));
  for (int k = 1; k <= 5; ++k) expectedOrder.push_back(FallLabel(k));
  for (int k = 1; k <= 5; ++k) expectedOrder.push_back(DayCountLabel(k));
  for (std::size_t i = 0; i < expectedOrder.size(); ++i) {
    EXPECT_EQ(view.writes()[i].label, expectedOrder[i]) << "write " << i;
    EXPECT_EQ(view.writes()[i].text, Text()) << "write " << i;
  }
  // Then the name, then the fifteen statistics.
  EXPECT_EQ(view.writes()[16].label, ResultLabel::标签基金名称);
  EXPECT_EQ(view.writes().size(), 16u + 1u + 15u);
}

TEST(QueryFund, DateRangeIsSentAsTypedAndLimitsTheRows) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");
  view.SetInput(InputBox::编辑框1开始, "2020-07-01");
  view.SetInput(InputBox::编辑框1结束, "2020-08-31");
  view.SetSinceInceptionChecked(false);

  QueryFund(view, Text(service.BaseUrl()));

  ExpectStatistics(view, service.data().DaysInRange("000001", "2020-07-01", "2020-08-31"));
  const auto targets = service.RequestTargets();
  ASSERT_GE(targets.size(), 3u);
  for (std::size_t i = 1; i < targets.size(); ++i) {
    EXPECT_EQ(targets[i].substr(targets[i].find("&per=40")),
              "&per=40&sdate=2020-07-01&edate=2020-08-31");
  }
}

TEST(QueryFund, TickedSinceInceptionSendsNoDatesEvenWhenBoxesHoldSome) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "110022");
  view.SetInput(InputBox::编辑框1开始, "2021-01-01");
  view.SetInput(InputBox::编辑框1结束, "2021-02-01");

  QueryFund(view, Text(service.BaseUrl()));

  for (const std::string& target : service.RequestTargets()) {
    EXPECT_EQ(target.find("sdate"), std::string::npos) << target;
    EXPECT_EQ(target.find("edate"), std::string::npos) << target;
  }
  ExpectStatistics(view, service.data().Find("110022")->days);
}

TEST(QueryFund, UntickedWithEmptyBoxesSendsBothDateKeysEmpty) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "110022");
  view.SetSinceInceptionChecked(false);

  QueryFund(view, Text(service.BaseUrl()));

  const auto targets = service.RequestTargets();
  ASSERT_EQ(targets.size(), 2u + 2u);  // 33 days at 20 a page: 2 pages
  for (std::size_t i = 1; i < targets.size(); ++i) {
    const std::string suffix = "&per=40&sdate=&edate=";
    ASSERT_GE(targets[i].size(), suffix.size());
    EXPECT_EQ(targets[i].substr(targets[i].size() - suffix.size()), suffix);
  }
}

TEST(QueryFund, DatesAreReadOnlyAfterTheFundListArrives) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");
  // The user unticks and types a range while the fund list is loading: the
  // name write is the first thing after the script arrives.
  view.OnLabelWrite(ResultLabel::标签基金名称, 2, [&] {
    view.SetSinceInceptionChecked(false);
    view.SetInput(InputBox::编辑框1开始, "2020-09-01");
    view.SetInput(InputBox::编辑框1结束, "2020-09-24");
  });

  QueryFund(view, Text(service.BaseUrl()));

  ExpectStatistics(view, service.data().DaysInRange("000001", "2020-09-01", "2020-09-24"));
}

TEST(QueryFund, UnknownCodeShowsNoNameAndNoDays) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "123456");

  QueryFund(view, Text(service.BaseUrl()));

  EXPECT_EQ(view.LabelText(ResultLabel::标签基金名称), Text());
  ExpectEmptyStatistics(view);
  EXPECT_EQ(service.RequestTargets().size(), 2u);  // the script and page 1; "pages:0"
}

TEST(QueryFund, ServiceDownEndsWithEmptyNameAndZeroDays) {
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");

  QueryFund(view, Text(testing_support::UnreachableBaseUrl()));

  EXPECT_EQ(view.LabelText(ResultLabel::标签基金名称), Text());
  ExpectEmptyStatistics(view);
}

// A service whose first page announces `pagesText` and whose pages each hold
// one Monday rise row.
struct PageCountCase {
  const char* pagesText;
  int expectedPages;
};

class PageCountText : public ::testing::TestWithParam<PageCountCase> {};

TEST_P(PageCountText, IsReadAsLeadingDigits) {
  const PageCountCase c = GetParam();
  LoopbackServer server([&](const HttpRequest& request) -> ResponseScript {
    if (request.target.find("fundcode_search") != std::string::npos) {
      return OkResponse("var r = [[\"000001\",\"A\",\"\xE5\x9F\xBA\",\"T\",\"P\"]];");
    }
    return OkResponse(std::string("var apidata={ content:\"<table><tbody><tr><td>2020-09-07</td>"
                                  "<td class='tor bold red'>1%</td></tr></tbody></table>\","
                                  "records:9,pages:") +
                      c.pagesText + ",curpage:1};");
  });
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");

  QueryFund(view, Text(server.BaseUrl()));

  EXPECT_EQ(server.RequestCount(), static_cast<std::size_t>(c.expectedPages + 2));
  EXPECT_EQ(view.LabelText(DayCountLabel(1)), Text(std::to_string(c.expectedPages)));
}

INSTANTIATE_TEST_SUITE_P(QueryFund, PageCountText,
                         ::testing::Values(PageCountCase{" 3", 3}, PageCountCase{"3x", 3},
                                           PageCountCase{"x3", 0}, PageCountCase{"0", 0},
                                           PageCountCase{"-2", 0}));

// A service with hand-written answers: `script` for the fund list, and
// `pages[i]` for table page i + 1 (page 1 also answers the first request).
class HandWrittenService {
 public:
  HandWrittenService(std::string script, std::vector<std::string> pages)
      : script_(std::move(script)),
        pages_(std::move(pages)),
        server_([this](const HttpRequest& request) { return Answer(request); }) {}
  std::string BaseUrl() const { return server_.BaseUrl(); }
  std::size_t RequestCount() const { return server_.RequestCount(); }

 private:
  ResponseScript Answer(const HttpRequest& request) const {
    if (request.target.find("fundcode_search") != std::string::npos) return OkResponse(script_);
    const int page = std::atoi(QueryValue(request.target, "page").c_str());
    if (page < 1 || page > static_cast<int>(pages_.size())) {
      return testing_support::SimpleResponse(404, "Not Found", {}, "");
    }
    return OkResponse(pages_[static_cast<std::size_t>(page - 1)]);
  }

  std::string script_;
  std::vector<std::string> pages_;
  LoopbackServer server_;
};

std::string PageOf(const std::string& rows, int pages) {
  return "var apidata={ content:\"<table><tbody>" + rows +
         "</tbody></table>\",records:1,pages:" + std::to_string(pages) + ",curpage:1};";
}

std::string RiseRow(const std::string& date) {
  return "<tr><td>" + date + "</td><td class='tor bold red'>0.5%</td></tr>";
}

TEST(QueryFund, RowsOfAllPagesAreCollectedInOrderAndUpperCaseTagsCount) {
  std::string forty, seven;
  for (int i = 0; i < 40; ++i) forty += RiseRow("2020-09-07");  // Mondays
  for (int i = 0; i < 6; ++i) seven += RiseRow("2020-09-08");   // Tuesdays
  seven += "<TR><TD>2020-09-08</td><td class='tor bold grn'>-1%</td></TR>";
  HandWrittenService service("[\"000001\",\"A\",\"B\"]", {PageOf(forty, 2), PageOf(seven, 2)});
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");

  QueryFund(view, Text(service.BaseUrl()));

  EXPECT_EQ(view.LabelText(DayCountLabel(1)), Text("40"));
  EXPECT_EQ(view.LabelText(DayCountLabel(2)), Text("7"));
  EXPECT_EQ(view.LabelText(RiseLabel(2)), Text("85.71%"));
  EXPECT_EQ(view.LabelText(FallLabel(2)), Text("14.29%"));
}

TEST(QueryFund, AFailingPageContributesNothingAndTheOthersStillCount) {
  // Three pages announced, only two exist: page 3 answers 404 with no rows.
  HandWrittenService service("[\"000001\",\"A\"]",
                             {PageOf(RiseRow("2020-09-07"), 3), PageOf(RiseRow("2020-09-07"), 3)});
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");

  QueryFund(view, Text(service.BaseUrl()));

  EXPECT_EQ(service.RequestCount(), 5u);
  EXPECT_EQ(view.LabelText(DayCountLabel(1)), Text("2"));
  EXPECT_EQ(view.LabelText(RiseLabel(1)), Text("100%"));
}

TEST(QueryFund, EmptyCodeTakesTheNameFromTheScriptStart) {
  // The script is UTF-8 scanned as code page 936, so the "]" follows an
  // ASCII byte here, as it does in the real script.
  HandWrittenService service("\"\xE4\xB8\xAD\"]x[\"000001\",\"\xE5\x9F\xBA\"]", {PageOf("", 0)});
  RecordingView view;

  QueryFund(view, Text(service.BaseUrl()));

  EXPECT_EQ(view.LabelText(ResultLabel::标签基金名称), ToText("中"));
  EXPECT_EQ(service.RequestCount(), 2u);
}

TEST(QueryFund, NameComesFromTheFirstOccurrenceOfTheCode) {
  // "000001" first appears inside another fund's entry.
  HandWrittenService service(
      "[[\"100000\",\"X\",\"\xE4\xB8\xAD\"],[\"000001\",\"Y\",\"\xE5\x9F\xBA\"]]", {PageOf("", 0)});
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "00000");

  QueryFund(view, Text(service.BaseUrl()));

  EXPECT_EQ(view.LabelText(ResultLabel::标签基金名称), ToText("中"));
}

TEST(QueryFund, NestedQueryAtAPumpPointCompletesFirstAndTheOuterWritesLast) {
  FakeFundService service(SampleData(), SmallScript());
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");
  const Text base(service.BaseUrl());

  // The second pump of the outer query delivers a click for another fund:
  // the user changed the code and pressed the button again.
  int pumps = 0;
  bool nestedDone = false;
  auto previous = InstallEventPump([&] {
    if (++pumps != 2) return;
    view.SetInput(InputBox::编辑框_基金代码, "110022");
    QueryFund(view, base);
    nestedDone = true;
  });
  QueryFund(view, base);
  InstallEventPump(previous);

  ASSERT_TRUE(nestedDone);
  // The outer query read "000001" before the nested one changed the box, and
  // its statistics are the last written.
  ExpectStatistics(view, service.data().Find("000001")->days);
  // The nested query's fifteen statistics writes came before the outer's.
  const auto& writes = view.writes();
  int statisticsBlocks = 0;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    if (writes[i].label == RiseLabel(1) && !writes[i].text.empty()) ++statisticsBlocks;
  }
  EXPECT_EQ(statisticsBlocks, 2);
}

}  // namespace
