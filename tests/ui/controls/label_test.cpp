// Label text style bits, texts and tooltips.
#include <gtest/gtest.h>

#include "ui/controls/label.h"
#include "ui/resources/global_manager.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override { Shutdown(); }
  void TearDown() override { Shutdown(); }
};

TEST_F(LabelTest, AlignKeywordsChangeTheStartBitsAsDocumented) {
  struct {
    const wchar_t* align;
    unsigned bits;
  } cases[] = {
      {L"", 0x8120},
      {L"left", 0x8100},           // no centre, no single line
      {L"center", 0x8121},
      {L"right", 0x8102},
      {L"top", 0x8120},
      {L"vcenter", 0x8125},        // "vcenter" also contains "center"
      {L"bottom", 0x8128},
      {L"left top", 0x8120},
      {L"right bottom", 0x812A},
      {L"left vcenter", 0x8125},
  };
  for (const auto& c : cases) {
    Label label;
    EXPECT_EQ(label.GetTextStyle(), 0x8120u);
    label.SetAttribute(L"align", c.align);
    EXPECT_EQ(label.GetTextStyle(), c.bits) << testing::PrintToString(std::wstring(c.align));
  }
}

TEST_F(LabelTest, TextIdIsUsedOnlyWhileTheLiteralTextIsEmpty) {
  GlobalManager::LoadLanguageStrings("STRID_A=语言文本\n");
  Label label;
  label.SetAttribute(L"textid", L"STRID_A");
  EXPECT_EQ(label.GetText(), L"语言文本");
  label.SetText(L"literal");
  EXPECT_EQ(label.GetText(), L"literal");
}

TEST_F(LabelTest, TooltipLineBreakMarkers) {
  Control c;
  c.SetAttribute(L"tooltiptext", L"one<n>two");
  EXPECT_EQ(c.GetToolTipText(), L"one\r\ntwo");
}

TEST_F(LabelTest, TextPaddingIsAddedToTheMeasuredText) {
  Label label;
  label.SetText(L"设置");
  UiSize bare = label.EstimateText({500, 500});
  label.SetAttribute(L"textpadding", L"16,8,16,8");
  UiSize padded = label.EstimateText({500, 500});
  EXPECT_GT(bare.cx, 0);
  EXPECT_EQ(padded.cx, bare.cx + 32);
  EXPECT_EQ(padded.cy, bare.cy + 16);
}

}  // namespace
}  // namespace ui
