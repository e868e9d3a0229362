// Attribute value syntaxes: booleans, integers, sizes, pairs, rectangles,
// scaling and image descriptors.
#include <gtest/gtest.h>

#include <climits>

#include "ui/core/value_parser.h"
#include "ui/render/image_attribute.h"
#include "ui/resources/global_manager.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class ValueParserTest : public ::testing::Test {
 protected:
  void SetUp() override { Shutdown(); }
  void TearDown() override { Shutdown(); }
};

TEST_F(ValueParserTest, OnlyExactTrueIsTrue) {
  EXPECT_TRUE(ParseBool(L"true"));
  for (const wchar_t* v : {L"TRUE", L"True", L"1", L"yes", L" true", L"true ", L""}) {
    EXPECT_FALSE(ParseBool(v)) << v;
  }
}

TEST_F(ValueParserTest, IntegersAreReadAsFarAsTheyGoAndSaturate) {
  EXPECT_EQ(ParseInt(L"42px"), 42);
  EXPECT_EQ(ParseInt(L"-7"), -7);
  EXPECT_EQ(ParseInt(L"abc"), 0);
  EXPECT_EQ(ParseInt(L""), 0);
  // An overflowing number must not wrap into a marker value such as -1.
  EXPECT_EQ(ParseInt(L"99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseInt(L"-99999999999999999999"), INT_MIN);
}

TEST_F(ValueParserTest, SizesKnowStretchAutoAndRejectNegatives) {
  EXPECT_EQ(ParseSize(L"stretch"), kSizeStretch);
  EXPECT_EQ(ParseSize(L"auto"), kSizeAuto);
  EXPECT_EQ(ParseSize(L"120"), 120);
  EXPECT_EQ(ParseSize(L"0"), 0);
  EXPECT_FALSE(ParseSize(L"-5").has_value());
  EXPECT_FALSE(ParseSize(L"-1").has_value());
  EXPECT_FALSE(ParseSize(L"wide").has_value());
  EXPECT_EQ(ParseSize(L"99999999999999"), INT_MAX);
}

TEST_F(ValueParserTest, SizesScaleAt150PercentButMarkersDoNot) {
  GlobalManager::SetScale(150);
  EXPECT_EQ(ParseSize(L"120"), 120);  // not adapted: no scaling
  GlobalManager::SetAdapted(true);
  EXPECT_EQ(ParseSize(L"120"), 180);
  EXPECT_EQ(ParseSize(L"auto"), kSizeAuto);
  EXPECT_EQ(ParseSize(L"stretch"), kSizeStretch);
  EXPECT_EQ(ParseSize(L"120", false), 120);
  EXPECT_EQ(ParseSize(L"2000000000"), INT_MAX);  // saturates; never -1, "stretch"
  EXPECT_EQ(ScaleInsets({1, 2, 3, 4}), (UiRect{2, 3, 5, 6}));  // halves round away from zero
}

TEST_F(ValueParserTest, RectanglesTakeAnyOneSeparatorAndStopAtTheEnd) {
  EXPECT_EQ(ParseRect(L"5,0,5,0"), ParseRect(L"5 0 5 0"));
  EXPECT_EQ(ParseRect(L"5,0,5,0"), (UiRect{5, 0, 5, 0}));
  EXPECT_EQ(ParseRect(L"1;2|3x4"), (UiRect{1, 2, 3, 4}));
  // Fewer values than needed: the rest are 0, nothing is read past the end.
  EXPECT_EQ(ParseRect(L"8"), (UiRect{8, 0, 0, 0}));
  EXPECT_EQ(ParseRect(L"8,"), (UiRect{8, 0, 0, 0}));
  EXPECT_EQ(ParseRect(L""), (UiRect{}));
  EXPECT_EQ(ParseRect(L"1,,3,4"), (UiRect{1, 0, 0, 0}));  // two separators end the list
  EXPECT_EQ(ParsePair(L"500,600"), (UiSize{500, 600}));
  EXPECT_EQ(ParsePair(L"-3,4"), (UiSize{-3, 4}));
}

TEST_F(ValueParserTest, ImageDescriptorsArePathsOrQuotedItems) {
  ImageAttribute plain = ImageAttribute::Parse(L"../public/option/selected.png");
  EXPECT_EQ(plain.path, L"../public/option/selected.png");
  EXPECT_FALSE(plain.has_source);

  ImageAttribute a = ImageAttribute::Parse(
      L"file='close.png' source='25,0,49,24' corner = '2,2,2,2' fade='128' xtiled='true' "
      L"ytiled='false' dest='1,2,3,4'");
  EXPECT_EQ(a.path, L"close.png");
  EXPECT_TRUE(a.has_source);
  EXPECT_EQ(a.source, (UiRect{25, 0, 49, 24}));
  EXPECT_EQ(a.corner, (UiRect{2, 2, 2, 2}));
  EXPECT_EQ(a.fade, 128);
  EXPECT_TRUE(a.xtiled);
  EXPECT_FALSE(a.ytiled);
  EXPECT_EQ(a.dest, (UiRect{1, 2, 3, 4}));

  EXPECT_EQ(ImageAttribute::Parse(L"res='a.png' fade='999'").fade, 255);
  EXPECT_EQ(ImageAttribute::Parse(L"file='a.png").path, L"file='a.png");  // unterminated
  EXPECT_TRUE(ImageAttribute::Parse(L"").path.empty());
}

TEST_F(ValueParserTest, ImageDestIsScaledUnlessDestScaleIsOff) {
  GlobalManager::SetAdapted(true);
  GlobalManager::SetScale(150);
  EXPECT_EQ(ImageAttribute::Parse(L"file='a.png' dest='0,2,16,18'").dest, (UiRect{0, 3, 24, 27}));
  EXPECT_EQ(ImageAttribute::Parse(L"file='a.png' destscale='false' dest='0,2,16,18'").dest,
            (UiRect{0, 2, 16, 18}));
}

}  // namespace
}  // namespace ui
