#include "ui/resources/resource_package.h"

#include <gtest/gtest.h>

#include "tests/ui/resources/test_support.h"
#include "tests/ui/resources/zip_builder.h"

namespace ui {
namespace {

using test::BuildZip;

class ResourcePackageTest : public test::ResourceStateTest {
 protected:
  void OpenTheme() {
    zip_ = BuildZip({
        {"resources/", "", 0},
        {"resources/themes/default/global.xml", "<Global/>"},
        {"resources/themes/default/public/caption/caption_public.png", "png", 0},
        {"resources/lang/zh_CN/gdstrings.ini", "A=B"},
    });
    ASSERT_TRUE(ResourcePackage::Open(zip_.data(), zip_.size(), ""));
  }
  std::string zip_;
};

TEST_F(ResourcePackageTest, MissingAbsoluteAndOverlongPathsGiveNothing) {
  OpenTheme();
  std::string out = "stale";
  EXPECT_FALSE(ResourcePackage::GetData(L"resources/themes/default/missing.xml", out));
  EXPECT_EQ(ResourcePackage::LastResult(), kZipNotFound);
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(ResourcePackage::GetData(L"/resources/themes/default/global.xml", out));
  EXPECT_FALSE(ResourcePackage::GetData(L"", out));
  EXPECT_FALSE(ResourcePackage::Exists(L""));
  EXPECT_FALSE(ResourcePackage::GetData(L"resources/" + std::wstring(300, L'a'), out));
  // A lone surrogate does not convert: not found rather than a mangled name.
  EXPECT_EQ(ResourcePackage::FindEntry(std::wstring(L"resources/") + static_cast<wchar_t>(0xD800)).result,
            kZipNotFound);
}

TEST_F(ResourcePackageTest, ExistenceCacheIsDroppedWithThePackage) {
  OpenTheme();
  EXPECT_TRUE(ResourcePackage::Exists(L"resources/lang/zh_CN/gdstrings.ini"));
  EXPECT_TRUE(ResourcePackage::Exists(L"resources/lang/zh_CN/gdstrings.ini"));
  EXPECT_FALSE(ResourcePackage::Exists(L"resources/lang/en_US/gdstrings.ini"));

  const std::string other = BuildZip({{"resources/lang/en_US/gdstrings.ini", "X=Y"}});
  ASSERT_TRUE(ResourcePackage::Open(other.data(), other.size(), ""));
  EXPECT_FALSE(ResourcePackage::Exists(L"resources/lang/zh_CN/gdstrings.ini"));
  EXPECT_TRUE(ResourcePackage::Exists(L"resources/lang/en_US/gdstrings.ini"));
  ResourcePackage::Close();
  EXPECT_FALSE(ResourcePackage::Exists(L"resources/lang/en_US/gdstrings.ini"));
}

TEST_F(ResourcePackageTest, FailedOpenLeavesNoPackageAndNothingIsReadWithoutOne) {
  OpenTheme();
  const std::string junk = "PK not really";
  EXPECT_FALSE(ResourcePackage::Open(junk.data(), junk.size(), ""));
  EXPECT_EQ(ResourcePackage::LastResult(), kZipCannotOpen);
  EXPECT_FALSE(ResourcePackage::IsOpen());
  EXPECT_FALSE(ResourcePackage::Open(zip_.data(), zip_.size(), "secret"));
  EXPECT_FALSE(ResourcePackage::IsOpen());
  std::string out;
  EXPECT_FALSE(ResourcePackage::GetData(L"resources/themes/default/global.xml", out));
  EXPECT_EQ(ResourcePackage::LastResult(), kZipNoPackage);
  EXPECT_FALSE(ResourcePackage::Exists(L"resources/themes/default/global.xml"));
}

}  // namespace
}  // namespace ui
