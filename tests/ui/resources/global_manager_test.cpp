#include "ui/resources/global_manager.h"

#include <gtest/gtest.h>
#include <pango/pango.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "tests/support/scoped_env.h"
#include "tests/ui/resources/test_support.h"
#include "tests/ui/resources/zip_builder.h"
#include "ui/resources/resource_package.h"

namespace ui {
namespace {

using test::BuildZip;
using test::MakePng;

class GlobalManagerTest : public test::ResourceStateTest {
 protected:
  void OpenPackage(std::vector<test::ZipTestEntry> entries) {
    zip_ = BuildZip(entries);
    ASSERT_TRUE(ResourcePackage::Open(zip_.data(), zip_.size(), ""));
  }
  std::string zip_;
};

TEST_F(GlobalManagerTest, FullPathPrefersTheWindowFolderInThePackage) {
  OpenPackage({{"resources/themes/default/fleet_sync/device.png", "a", 0},
               {"resources/themes/default/device.png", "b", 0},
               {"resources/themes/default/public/bk/shadow3.png", "c", 0}});
  GlobalManager::SetThemePath(L"resources\\themes\\default");
  EXPECT_EQ(GlobalManager::GetResFullPath(L"fleet_sync\\", L"device.png"),
            L"resources/themes/default/fleet_sync/device.png");
  EXPECT_EQ(GlobalManager::GetResFullPath(L"custom_toast", L"device.png"), L"resources/themes/default/device.png");
  EXPECT_EQ(GlobalManager::GetResFullPath(L"fleet_sync/", L"../public/bk/shadow3.png"),
            L"resources/themes/default/public/bk/shadow3.png");
  EXPECT_EQ(GlobalManager::GetResFullPath(L"", L"public\\bk\\shadow3.png"),
            L"resources/themes/default/public/bk/shadow3.png");
  EXPECT_EQ(GlobalManager::GetResFullPath(L"fleet_sync", L"/opt/pictures/a.png"), L"/opt/pictures/a.png");
}

TEST_F(GlobalManagerTest, OpenPackageIsTheOnlySourceOfRelativeResources) {
  test::ScopedTempCwd cwd;
  cwd.Write("resources/themes/default/fleet_sync/only_on_disk.xml", "<Window/>");
  cwd.Write("absolute.txt", "from disk");
  GlobalManager::SetThemePath(L"resources/themes/default");
  std::string out;

  // No package: disk, including the window-folder rule.
  EXPECT_EQ(GlobalManager::GetResFullPath(L"fleet_sync", L"only_on_disk.xml"),
            L"resources/themes/default/fleet_sync/only_on_disk.xml");
  EXPECT_TRUE(GlobalManager::ReadResource(L"resources\\themes\\default\\fleet_sync\\only_on_disk.xml", out));
  EXPECT_EQ(out, "<Window/>");

  // With a package: a file that only exists on disk is not found.
  OpenPackage({{"resources/themes/default/global.xml", "<Global/>"}});
  EXPECT_EQ(GlobalManager::GetResFullPath(L"fleet_sync", L"only_on_disk.xml"),
            L"resources/themes/default/only_on_disk.xml");
  EXPECT_FALSE(GlobalManager::ReadResource(L"resources/themes/default/fleet_sync/only_on_disk.xml", out));
  EXPECT_TRUE(GlobalManager::ReadResource(L"resources/themes/default/global.xml", out));
  EXPECT_EQ(out, "<Global/>");
  // An absolute path is never a package entry and is read from disk.
  const std::wstring absolute = Utf8ToUtf16(cwd / "absolute.txt");
  EXPECT_TRUE(GlobalManager::ReadResource(absolute, out));
  EXPECT_EQ(out, "from disk");
  // Folders are not files.
  ResourcePackage::Close();
  EXPECT_FALSE(GlobalManager::ReadResource(L"resources/themes", out));
}

TEST_F(GlobalManagerTest, FontSizeFollowsTheScaleOnlyWhenAdaptedAndBoldIsAWeight) {
  GlobalManager::SetScale(150);
  EXPECT_TRUE(GlobalManager::AddFont(L"unadapted_12", L"system", 12, false, false, false, false, false));
  EXPECT_EQ(GlobalManager::GetFont(L"unadapted_12")->pixel_size, 12);
  GlobalManager::SetAdapted(true);
  EXPECT_TRUE(GlobalManager::AddFont(L"system_12", L"system", 12, false, false, false, false, false));
  const FontInfo* font = GlobalManager::GetFont(L"system_12");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->pixel_size, 18);
  EXPECT_EQ(font->face, kSystemFontFace);

  PangoFontDescriptionPtr description = font->CreatePangoDescription();
  EXPECT_TRUE(pango_font_description_get_size_is_absolute(description.get()));
  EXPECT_EQ(pango_font_description_get_size(description.get()), 18 * PANGO_SCALE);
  EXPECT_STREQ(pango_font_description_get_family(description.get()), "WenQuanYi Micro Hei");
  EXPECT_EQ(font->weight, kFontWeightNormal);

  // Bold means the bold weight, and a weight given overrides it.
  GlobalManager::AddFont(L"bold", L"Noto Sans", 14, true, true, true, true, false);
  GlobalManager::AddFont(L"semibold", L"Noto Sans", 14, true, false, false, false, false, 600);
  const FontInfo* bold = GlobalManager::GetFont(L"bold");
  EXPECT_TRUE(bold->underline && bold->strikeout && bold->italic);
  EXPECT_EQ(GlobalManager::GetFont(L"semibold")->weight, 600);
  description = bold->CreatePangoDescription();
  EXPECT_EQ(pango_font_description_get_weight(description.get()), PANGO_WEIGHT_BOLD);
  EXPECT_EQ(pango_font_description_get_style(description.get()), PANGO_STYLE_ITALIC);
}

TEST_F(GlobalManagerTest, FirstFontOfAnIdStaysAndDefaultAnswersEmptyId) {
  EXPECT_TRUE(GlobalManager::AddFont(L"label", L"system", 12, false, false, false, false, false));
  EXPECT_FALSE(GlobalManager::AddFont(L"label", L"system", 30, false, false, false, false, false));
  EXPECT_EQ(GlobalManager::GetFont(L"label")->pixel_size, 12);
  EXPECT_EQ(GlobalManager::GetFont(L""), nullptr);
  EXPECT_TRUE(GlobalManager::AddFont(L"", L"system", 13, false, false, false, false, true));
  EXPECT_EQ(GlobalManager::GetDefaultFontId(), L"1");
  EXPECT_EQ(GlobalManager::GetFont(L"")->pixel_size, 13);
  EXPECT_EQ(GlobalManager::GetFont(L"missing"), nullptr);
  EXPECT_FALSE(GlobalManager::AddFont(L"zero", L"system", 0, false, false, false, false, false));
  EXPECT_EQ(GlobalManager::GetFont(L"zero"), nullptr);
}

TEST_F(GlobalManagerTest, ColourValuesNeedTheNumberSignAndSixOrEightDigits) {
  EXPECT_TRUE(GlobalManager::AddTextColor(L"red", L"#ffC63535"));
  EXPECT_TRUE(GlobalManager::AddTextColor(L"opaque", L"#8e99a6"));
  EXPECT_EQ(GlobalManager::GetTextColor(L"red"), 0xFFC63535u);
  EXPECT_EQ(GlobalManager::GetTextColor(L"opaque"), 0xFF8E99A6u);
  for (const wchar_t* bad : {L"ffC63535", L"#", L"#fff", L"#12345", L"#1234567", L"#123456789", L"#gg000000",
                             L"#ff 00000", L""}) {
    EXPECT_FALSE(GlobalManager::AddTextColor(L"bad", bad)) << bad;
  }
  EXPECT_EQ(GlobalManager::GetTextColor(L"bad"), 0u);
  EXPECT_EQ(GlobalManager::GetTextColor(L"unknown"), 0u);
  GlobalManager::AddTextColor(L"red", L"#ff000001");
  EXPECT_EQ(GlobalManager::GetTextColor(L"red"), 0xFF000001u);
}

TEST_F(GlobalManagerTest, ScaleValueFollowsMulDiv) {
  EXPECT_EQ(GlobalManager::ScaleValue(120), 120);
  GlobalManager::SetAdapted(true);
  EXPECT_EQ(GlobalManager::ScaleValue(120), 120);
  GlobalManager::SetScale(150);
  EXPECT_EQ(GlobalManager::ScaleValue(120), 180);
  EXPECT_EQ(GlobalManager::ScaleValue(5), 8);    // 7.5 rounds up
  EXPECT_EQ(GlobalManager::ScaleValue(-5), -8);  // and away from zero
  GlobalManager::SetScaleLimit(125);
  GlobalManager::SetScale(200);
  EXPECT_EQ(GlobalManager::GetScale(), 125);
  GlobalManager::Shutdown();
  EXPECT_EQ(GlobalManager::GetScale(), 100);
  EXPECT_FALSE(GlobalManager::IsAdapted());
}

TEST_F(GlobalManagerTest, ImagesAreSharedWhileHeldAndDroppedAfterwards) {
  OpenPackage({{"resources/themes/default/public/a.png", MakePng(4, 3)}});
  const std::wstring path = L"resources/themes/default/public/a.png";
  std::shared_ptr<ImageInfo> first = GlobalManager::GetImage(path);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->width(), 4);
  EXPECT_EQ(first->height(), 3);
  EXPECT_EQ(GlobalManager::GetImage(path), first);
  first.reset();

  // The entry went with the last holder: the same path now yields the picture
  // of the package open at that moment.
  OpenPackage({{"resources/themes/default/public/a.png", MakePng(7, 2)}});
  std::shared_ptr<ImageInfo> second = GlobalManager::GetImage(path);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->width(), 7);
  // An image outliving the tables stays valid.
  GlobalManager::Shutdown();
  EXPECT_EQ(second->width(), 7);
}

TEST_F(GlobalManagerTest, BrokenOrMissingImagesAreNotCached) {
  OpenPackage({{"resources/bad.png", "not a png"}});
  EXPECT_EQ(GlobalManager::GetImage(L"resources/bad.png"), nullptr);
  EXPECT_EQ(GlobalManager::GetImage(L"resources/missing.png"), nullptr);
  EXPECT_EQ(GlobalManager::GetImage(L""), nullptr);
}

TEST_F(GlobalManagerTest, ScaledVariantIsUsedOnlyWhenItExists) {
  OpenPackage({{"resources/run.png", MakePng(10, 10)},
               {"resources/run@150.png", MakePng(15, 15)},
               {"resources/walk.png", MakePng(10, 10)},
               {"resources/icon.svg", "<svg/>"},
               {"resources/icon@150.svg", "<svg/>"}});
  EXPECT_EQ(GlobalManager::GetDpiImagePath(L"resources/run.png"), L"resources/run.png");
  EXPECT_EQ(GlobalManager::GetImage(L"resources/run.png")->width(), 10);

  GlobalManager::SetAdapted(true);
  GlobalManager::SetScale(150);
  EXPECT_EQ(GlobalManager::GetDpiImagePath(L"resources/run.png"), L"resources/run@150.png");
  EXPECT_EQ(GlobalManager::GetImage(L"resources/run.png")->width(), 15);
  EXPECT_EQ(GlobalManager::GetDpiImagePath(L"resources/walk.png"), L"resources/walk.png");
  EXPECT_EQ(GlobalManager::GetDpiImagePath(L"resources/icon.svg"), L"resources/icon.svg");
  GlobalManager::SetScale(125);
  EXPECT_EQ(GlobalManager::GetDpiImagePath(L"resources/run.png"), L"resources/run.png");
}

TEST_F(GlobalManagerTest, PackageFontFileIsRegisteredFromAPrivateCopy) {
  const std::filesystem::path font = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
  if (!std::filesystem::exists(font)) GTEST_SKIP() << "no test font installed";
  std::ifstream in(font, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  test::ScopedTempCwd scratch;
  fleetsync_test::ScopedEnv tmpdir("TMPDIR");
  setenv("TMPDIR", scratch.path().c_str(), 1);
  OpenPackage({{"resources/themes/default/font/mono.ttf", bytes}});
  GlobalManager::SetThemePath(L"resources/themes/default");
  EXPECT_TRUE(GlobalManager::AddFontFile(L"mono.ttf", L"DejaVu Sans Mono"));
  EXPECT_FALSE(GlobalManager::AddFontFile(L"missing.ttf", L"Missing"));
  auto copies = [&] {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
      count += entry.path().filename().string().rfind("fleetsync-font-", 0) == 0 ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(copies(), 1);
  GlobalManager::Shutdown();
  EXPECT_EQ(copies(), 0);
}

}  // namespace
}  // namespace ui
