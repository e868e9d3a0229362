// The application's own layouts from the embedded theme archive, built and
// laid out as the windows use them.
#include <gtest/gtest.h>

#include <memory>

#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tab_box.h"
#include "ui/controls/window.h"
#include "ui/markup/layout_builder.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class ThemeLayoutsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    ASSERT_TRUE(ResourcePackage::Open(ThemeArchiveData(), ThemeArchiveSize()));
    ASSERT_TRUE(Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN"));
  }
  void TearDown() override {
    window_.reset();
    Shutdown();
    ResourcePackage::Close();
  }

  Box* Load(const std::wstring& file, const std::wstring& folder) {
    window_ = std::make_unique<Window>();
    window_->SetResourcePath(folder);
    auto* root = dynamic_cast<Box*>(LayoutBuilder::Create(folder + file, {}, window_.get()));
    if (root) window_->AttachRoot(root);
    return root;
  }

  std::unique_ptr<Window> window_;
};

TEST_F(ThemeLayoutsTest, MainWindowBuildsAndArranges) {
  ASSERT_NE(Load(L"main.xml", L"fleet_sync/"), nullptr);
  auto* forms = dynamic_cast<ListBox*>(window_->FindControl(L"forms"));
  auto* status = dynamic_cast<Label*>(window_->FindControl(L"status_label"));
  auto* tab = dynamic_cast<TabBox*>(window_->FindControl(L"tab"));
  auto* settings = dynamic_cast<Button*>(window_->FindControl(L"btn_settings"));
  ASSERT_TRUE(forms && status && tab && settings);
  EXPECT_EQ(settings->GetFixedHeight(), 30);  // written after the class, which sets another

  tab->SelectItem(1);
  for (int i = 0; i < 3; ++i) {
    auto* row = new ListContainerElement;
    ASSERT_EQ(LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row), row);
    forms->Add(row);
  }
  window_->ArrangeRoot({500, 600});
  // The title is as tall as its text, centred in the 35-pixel caption band.
  const UiRect title = window_->FindControl(L"title")->GetPos();
  EXPECT_LT(title.Height(), 35);
  EXPECT_NEAR((title.top + title.bottom) / 2.0, 35 / 2.0, 1.0);
  const UiRect first = forms->GetItemAt(0)->GetPos();
  EXPECT_EQ(first.top, forms->GetPos().top);
  EXPECT_GE(first.Height(), 40 + 16);  // icon plus the row padding
  EXPECT_EQ(forms->GetItemAt(1)->GetPos().top, first.bottom);
  EXPECT_EQ(status->GetPos().Height(), 25);
  EXPECT_EQ(status->GetPos().bottom, 600);

  RenderContext ctx(500, 600);
  window_->Paint(ctx);
  EXPECT_EQ(ctx.GetPixel(250, 5), GlobalManager::GetTextColor(L"bk_wnd_lightcolor"));
  EXPECT_EQ(ctx.GetPixel(250, status->GetPos().top + 2), GlobalManager::GetTextColor(L"white"));
}

TEST_F(ThemeLayoutsTest, SettingsAndToastLayouts) {
  Box* settings = Load(L"settings.xml", L"fleet_sync/");
  ASSERT_NE(settings, nullptr);
  ASSERT_NE(window_->FindControl(L"box_form_adb"), nullptr);
  ASSERT_NE(window_->FindControl(L"btn_save"), nullptr);
  UiSize size = window_->EstimateRootSize({800, 800});
  EXPECT_EQ(size.cx, 500);
  EXPECT_GT(size.cy, 35 + 20);

  ASSERT_NE(Load(L"toast.xml", L"custom_toast/"), nullptr);
  ASSERT_NE(window_->FindControl(L"content"), nullptr);
}

TEST(ThemeStartupTest, ScaleFollowsTheScreenDpiWithinTheLimit) {
  Shutdown();
  ASSERT_TRUE(ResourcePackage::Open(ThemeArchiveData(), ThemeArchiveSize()));
  StartupOptions options;
  options.system_dpi = 144;
  ASSERT_TRUE(Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN", options));
  EXPECT_TRUE(GlobalManager::IsAdapted());
  EXPECT_EQ(GlobalManager::GetScale(), 150);
  {
    Window window;
    Control::Destroy(LayoutBuilder::Create(L"fleet_sync/main.xml", {}, &window));
    EXPECT_EQ(window.GetInitSize(), (UiSize{750, 900}));
  }
  Shutdown();
  options.scale_limit = 125;
  ASSERT_TRUE(Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN", options));
  EXPECT_EQ(GlobalManager::GetScale(), 125);
  Shutdown();
  ResourcePackage::Close();
}

}  // namespace
}  // namespace ui
