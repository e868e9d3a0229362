#include "ui/resources/resource_path.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(ResourcePathTest, RelativeAndAbsolutePaths) {
  EXPECT_TRUE(IsRelativeResourcePath(L"resources\\themes"));
  EXPECT_TRUE(IsRelativeResourcePath(L"../public/a.png"));
  EXPECT_FALSE(IsRelativeResourcePath(L"/usr/share/a.png"));
  EXPECT_FALSE(IsRelativeResourcePath(L"\\server\\a.png"));
  EXPECT_FALSE(IsRelativeResourcePath(L"C:\\a.png"));
  EXPECT_TRUE(ToPackagePath(L"/etc/passwd").empty());
  EXPECT_TRUE(ToPackagePath(L"c:/a.png").empty());
}

TEST(ResourcePathTest, SeparatorsDotAndParentComponentsAreResolvedNeverAboveTheStart) {
  EXPECT_EQ(ToPackagePath(L"resources\\themes\\default\\fleet_sync\\..\\public\\caption\\caption_public.png"),
            L"resources/themes/default/public/caption/caption_public.png");
  EXPECT_EQ(ToPackagePath(L"resources/themes/default/fleet_sync/../../default/global.xml"),
            L"resources/themes/default/global.xml");
  EXPECT_EQ(ToPackagePath(L"resources\\\\themes//default\\./global.xml"), L"resources/themes/default/global.xml");
  EXPECT_EQ(ToPackagePath(L"./resources/./lang/zh_CN/gdstrings.ini"), L"resources/lang/zh_CN/gdstrings.ini");
  EXPECT_EQ(NormalizeResourcePath(L"resources\\themes\\default\\"), L"resources/themes/default/");
  EXPECT_EQ(NormalizeResourcePath(L"/abs//path/./x"), L"/abs/path/x");
  // Dots inside names are not components.
  EXPECT_EQ(ToPackagePath(L"a/..b/c./d"), L"a/..b/c./d");
  EXPECT_EQ(ToPackagePath(L"../../public/a.png"), L"public/a.png");
  EXPECT_EQ(ToPackagePath(L".."), L"");
  EXPECT_EQ(ToPackagePath(L"a/../../../b"), L"b");
  EXPECT_EQ(NormalizeResourcePath(L"/../etc"), L"/etc");
}

}  // namespace
}  // namespace ui
