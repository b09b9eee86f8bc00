// The whole program path under a virtual X server: a real MainWindow, real X
// input from xdotool, and the query running against the fake fund-data
// service on loopback. The sixteen labels must end exactly as an independent
// computation over the service's data says.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/shown_window_test.h"
#include "app/toolkit_setup.h"
#include "app/window_pump.h"
#include "query/query_fund.h"
#include "testing/fake_fund_service.h"
#include "text/pump_events.h"

namespace {

using namespace testing_support;

FakeFundData ServiceData() {
  FakeFundData data;
  data.AddFund(
      MakeFund("000001", "华夏成长混合", "混合型-灵活", MakeTradingDays(130, 2020, 9, 24, 3)));
  return data;
}

class QueryEndToEnd : public ShownWindowTest {
 protected:
  void QueryAgainst(const std::string& base) {
    main_->onQuery = [this, base] { QueryFund(*main_, Text(base)); };
  }

  void TypeInto(const Fl_Widget& widget, const std::string& utf8) {
    ClickOn(widget);
    Xdotool({"type", "--delay", "20", utf8});
  }

  std::string Label(ResultLabel label) { return main_->LabelFor(label).label(); }

  void ExpectStatistics(const std::vector<FundDay>& days) {
    const auto expected = ExpectedStatistics(days);
    for (int k = 1; k <= 5; ++k) {
      EXPECT_EQ(Label(RiseLabel(k)), expected[k - 1]) << "rise, weekday " << k;
      EXPECT_EQ(Label(FallLabel(k)), expected[4 + k]) << "fall, weekday " << k;
      EXPECT_EQ(Label(DayCountLabel(k)), expected[9 + k]) << "days, weekday " << k;
    }
  }
};

TEST_F(QueryEndToEnd, FundOverSeveralPages) {
  FakeFundService service(ServiceData());  // 130 days at 20 a page: 7 pages
  QueryAgainst(service.BaseUrl());

  TypeInto(main_->编辑框_基金代码, "000001");
  ClickOn(main_->按钮_查询);

  EXPECT_EQ(Label(ResultLabel::标签基金名称), "华夏成长混合混合型灵活");
  ExpectStatistics(service.data().Find("000001")->days);
  EXPECT_EQ(service.Requests().size(), 7u + 2u);
  EXPECT_EQ(main_->busyDepth(), 0);
}

TEST_F(QueryEndToEnd, DateRangeTypedIntoTheBoxes) {
  FakeFundService service(ServiceData());
  QueryAgainst(service.BaseUrl());

  TypeInto(main_->编辑框_基金代码, "000001");
  TypeInto(main_->编辑框1开始, "2020-05-01");
  TypeInto(main_->编辑框1结束, "2020-06-30");
  ASSERT_FALSE(main_->IsSinceInceptionChecked());
  ClickOn(main_->按钮_查询);

  ExpectStatistics(service.data().DaysInRange("000001", "2020-05-01", "2020-06-30"));
  for (const std::string& target : service.RequestTargets()) {
    if (target.find("F10DataApi") == std::string::npos) continue;
    EXPECT_NE(target.find("&sdate=2020-05-01&edate=2020-06-30"), std::string::npos) << target;
  }
}

TEST_F(QueryEndToEnd, UnknownCode) {
  FakeFundService service(ServiceData());
  QueryAgainst(service.BaseUrl());

  TypeInto(main_->编辑框_基金代码, "999999");
  ClickOn(main_->按钮_查询);

  EXPECT_EQ(Label(ResultLabel::标签基金名称), "");
  ExpectStatistics({});
  EXPECT_EQ(service.Requests().size(), 2u);
}

TEST_F(QueryEndToEnd, ServiceDown) {
  QueryAgainst(UnreachableBaseUrl());

  TypeInto(main_->编辑框_基金代码, "000001");
  ClickOn(main_->按钮_查询);

  EXPECT_EQ(Label(ResultLabel::标签基金名称), "");
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(Label(RiseLabel(k)), "--%");
    EXPECT_EQ(Label(FallLabel(k)), "--%");
    EXPECT_EQ(Label(DayCountLabel(k)), "0");
  }
}

TEST_F(QueryEndToEnd, ASecondQueryReplacesTheFirstOnesResults) {
  FakeFundData data = ServiceData();
  data.AddFund(MakeFund("000002", "易方达蓝筹", "股票型", MakeTradingDays(12, 2021, 1, 8, 5)));
  FakeFundService service(std::move(data));
  QueryAgainst(service.BaseUrl());

  TypeInto(main_->编辑框_基金代码, "000001");
  ClickOn(main_->按钮_查询);
  ClickOn(main_->编辑框_基金代码);
  Xdotool({"key", "--delay", "20", "End", "BackSpace"});
  Xdotool({"type", "--delay", "20", "2"});
  ASSERT_STREQ(main_->编辑框_基金代码.value(), "000002");
  ClickOn(main_->按钮_查询);

  EXPECT_EQ(Label(ResultLabel::标签基金名称), "易方达蓝筹股票型");
  ExpectStatistics(service.data().Find("000002")->days);
}

}  // namespace
