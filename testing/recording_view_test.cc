#include "testing/recording_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RecordingViewTest, StartsLikeTheWindowAndRecordsWritesInOrder) {
  RecordingView view;
  EXPECT_TRUE(view.IsSinceInceptionChecked());
  EXPECT_EQ(view.ReadInput(InputBox::编辑框1开始), Text());
  view.SetLabel(ResultLabel::标签_2加, "50%");
  view.SetLabel(ResultLabel::标签基金名称, "");
  view.SetLabel(ResultLabel::标签_2加, "25%");
  const std::vector<RecordingView::LabelWrite> expected = {{ResultLabel::标签_2加, "50%"},
                                                           {ResultLabel::标签基金名称, ""},
                                                           {ResultLabel::标签_2加, "25%"}};
  EXPECT_EQ(view.writes(), expected);
  EXPECT_EQ(view.LabelText(ResultLabel::标签_2加), Text("25%"));
  EXPECT_EQ(view.LabelWriteCount(ResultLabel::标签_2加), 2);
  view.UncheckSinceInception();
  EXPECT_FALSE(view.IsSinceInceptionChecked());
  EXPECT_EQ(view.UncheckCount(), 1);
  EXPECT_EQ(view.CheckReadCount(), 2);
}

TEST(RecordingViewTest, LabelHookRunsOnceAfterTheChosenWriteIsRecorded) {
  RecordingView view;
  int runs = 0;
  view.OnLabelWrite(ResultLabel::标签_1减, 2, [&] {
    ++runs;
    // The triggering write is already in the log; a nested write goes after it.
    EXPECT_EQ(view.LabelText(ResultLabel::标签_1减), Text("second"));
    view.SetLabel(ResultLabel::标签_1减, "nested");
  });
  view.SetLabel(ResultLabel::标签_1减, "first");
  EXPECT_EQ(runs, 0);
  view.SetLabel(ResultLabel::标签_1减, "second");
  view.SetLabel(ResultLabel::标签_1减, "third");
  EXPECT_EQ(runs, 1);
  ASSERT_EQ(view.writes().size(), 4u);
  EXPECT_EQ(view.writes()[2].text, Text("nested"));
  EXPECT_EQ(view.writes()[3].text, Text("third"));
}

TEST(RecordingViewTest, InputHookRunsBeforeTheChosenReadReturns) {
  RecordingView view;
  view.SetInput(InputBox::编辑框_基金代码, "000001");
  view.OnInputRead(InputBox::编辑框_基金代码, 2, [&] {
    view.SetInput(InputBox::编辑框_基金代码, "110022");
    view.SetSinceInceptionChecked(false);
  });
  EXPECT_EQ(view.ReadInput(InputBox::编辑框_基金代码), Text("000001"));
  EXPECT_TRUE(view.IsSinceInceptionChecked());
  EXPECT_EQ(view.ReadInput(InputBox::编辑框_基金代码), Text("110022"));
  EXPECT_FALSE(view.IsSinceInceptionChecked());
  EXPECT_EQ(view.InputReadCount(InputBox::编辑框_基金代码), 2);
  EXPECT_EQ(view.InputReadCount(InputBox::编辑框1结束), 0);
}

}  // namespace
