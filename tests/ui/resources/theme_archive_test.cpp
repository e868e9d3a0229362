// The theme built into the program: every layout and picture the program
// names must be in it and readable without any resources/ folder on disk.
#include "ui/resources/theme_archive.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <set>
#include <sstream>

#include "base/text.h"
#include "tests/ui/resources/test_support.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/resource_path.h"

namespace ui {
namespace {

const wchar_t* const kLayouts[] = {
    L"fleet_sync/main.xml",
    L"fleet_sync/device_item.xml",
    L"fleet_sync/settings.xml",
    L"custom_toast/toast.xml",
};

class ThemeArchiveTest : public test::ResourceStateTest {
 protected:
  void SetUp() override {
    test::ResourceStateTest::SetUp();
    ASSERT_FALSE(std::filesystem::exists("resources"));
    ASSERT_TRUE(ResourcePackage::Open(ThemeArchiveData(), ThemeArchiveSize(), ""));
    GlobalManager::SetResourcePath(L"resources\\");
    GlobalManager::SetThemePath(L"resources\\themes\\default");
  }

  pugi::xml_document Load(const std::wstring& path) {
    std::string bytes;
    EXPECT_TRUE(GlobalManager::ReadResource(path, bytes)) << Utf16ToUtf8(path);
    pugi::xml_document document;
    EXPECT_TRUE(document.load_buffer(bytes.data(), bytes.size())) << Utf16ToUtf8(path);
    return document;
  }

  // Path of an image descriptor: the whole text, or its file='...' item.
  static std::wstring ImagePath(const std::string& descriptor) {
    std::string path = descriptor;
    const size_t file = descriptor.find("file='");
    if (file != std::string::npos) {
      const size_t end = descriptor.find('\'', file + 6);
      path = descriptor.substr(file + 6, end - file - 6);
    }
    return Utf8ToUtf16(path);
  }

  test::ScopedTempCwd cwd_;  // no resources/ folder here
};

// Each layout and global.xml are read by the cases below and shown by every
// window test.
TEST_F(ThemeArchiveTest, HoldsTheLanguageFiles) {
  EXPECT_TRUE(ResourcePackage::Exists(L"RESOURCES/THEMES/DEFAULT/GLOBAL.XML"));
  for (const wchar_t* language : {L"resources/lang/zh_CN", L"resources/lang/en_US"}) {
    GlobalManager::SetLanguagePath(language);
    EXPECT_TRUE(GlobalManager::LoadLanguageFile(GlobalManager::GetLanguageFilePath()));
    EXPECT_FALSE(GlobalManager::GetText(L"STRID_FLEETSYNC_SETTINGS").empty());
  }
  EXPECT_EQ(GlobalManager::GetText(L"STRID_FLEETSYNC_SETTINGS"), L"Settings");
}

// Every class, font and colour name a layout or the program's code uses is
// defined by global.xml (a name defined nowhere silently falls back).
TEST_F(ThemeArchiveTest, GlobalResourcesDefineEveryNameInUse) {
  const pugi::xml_document global = Load(L"resources/themes/default/global.xml");
  std::set<std::string> defined;
  for (const pugi::xml_node& node : global.document_element().children()) {
    for (const char* key : {"id", "name"}) {
      if (node.attribute(key)) defined.insert(std::string(node.name()) + ":" + node.attribute(key).value());
    }
  }
  std::set<std::string> used = {"TextColor:red", "TextColor:black", "TextColor:darkcolor",
                                "TextColor:textdefaultcolor", "TextColor:textdefaultdisablecolor",
                                "Font:ui_font_label"};  // named by the code
  for (const wchar_t* layout : kLayouts) {
    const pugi::xml_document document = Load(GlobalManager::GetThemePath() + layout);
    for (const pugi::xpath_node& found : document.select_nodes("//@*")) {
      const std::string name = found.attribute().name(), value = found.attribute().value();
      if (name == "class") {
        std::istringstream classes(value);
        for (std::string item; classes >> item;) used.insert("Class:" + item);
      } else if (name == "font") {
        used.insert("Font:" + value);
      } else if (name.find("color") != std::string::npos && value.rfind('#', 0) != 0) {
        used.insert("TextColor:" + value);
      }
    }
  }
  for (const std::string& name : used) EXPECT_EQ(defined.count(name), 1u) << name;
}

TEST_F(ThemeArchiveTest, EveryPictureTheThemeNamesDecodes) {
  GlobalManager::SetAdapted(false);
  // Pictures named by the layouts, resolved from their own folders.
  for (const wchar_t* layout : kLayouts) {
    const std::wstring layout_path(layout);
    const std::wstring folder = layout_path.substr(0, layout_path.find(L'/') + 1);
    const pugi::xml_document document = Load(GlobalManager::GetThemePath() + layout_path);
    int pictures = 0;
    for (const pugi::xpath_node& found : document.select_nodes("//@*")) {
      const pugi::xml_attribute attribute = found.attribute();
      if (std::string(attribute.name()).find("image") == std::string::npos) continue;
      const std::wstring path = GlobalManager::GetResFullPath(folder, ImagePath(attribute.value()));
      EXPECT_NE(GlobalManager::GetImage(path), nullptr) << Utf16ToUtf8(layout_path) << ": " << attribute.value();
      ++pictures;
    }
    EXPECT_GT(pictures, 0) << Utf16ToUtf8(layout_path);
  }
  // Pictures named by classes, which any window may use.
  const pugi::xml_document global = Load(L"resources/themes/default/global.xml");
  for (const pugi::xml_node& node : global.document_element().children("Class")) {
    for (const pugi::xml_attribute& attribute : node.attributes()) {
      if (std::string(attribute.name()).find("image") == std::string::npos) continue;
      const std::wstring path = GlobalManager::GetResFullPath(L"fleet_sync/", ImagePath(attribute.value()));
      EXPECT_NE(GlobalManager::GetImage(path), nullptr) << node.attribute("name").value() << ": " << attribute.value();
    }
  }
  // The toast's close button cuts four 24x24 states out of one strip.
  const auto strip = GlobalManager::GetImage(L"resources/themes/default/custom_toast/close.png");
  ASSERT_NE(strip, nullptr);
  EXPECT_GE(strip->width(), 99);
  EXPECT_GE(strip->height(), 24);
}

TEST_F(ThemeArchiveTest, LayoutsKeepTheClassAttributeFirst) {
  for (const wchar_t* layout : kLayouts) {
    const pugi::xml_document document = Load(GlobalManager::GetThemePath() + layout);
    for (const pugi::xpath_node& found : document.select_nodes("//*[@class]")) {
      EXPECT_STREQ(found.node().first_attribute().name(), "class") << Utf16ToUtf8(layout) << " " << found.node().name();
    }
  }
}

}  // namespace
}  // namespace ui
