#include "tests/app/window/expected_window.h"

#include <cstdlib>

#include "ui/controls/box.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/tab_box.h"
#include "ui/core/window.h"
#include "ui/markup/layout_builder.h"
#include "ui/render/render_context.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace fleetsync_test {

ExpectedMainWindow::ExpectedMainWindow(int rows) {
  ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize(), "");
  ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN");
  window_ = std::make_unique<ui::Window>();
  window_->SetResourcePath(L"fleet_sync/");
  auto* root = dynamic_cast<ui::Box*>(
      ui::LayoutBuilder::Create(L"fleet_sync/main.xml", {}, window_.get()));
  if (!root) return;
  window_->AttachRoot(root);
  if (auto* tab = dynamic_cast<ui::TabBox*>(window_->FindControl(L"tab"))) tab->SelectItem(1);
  auto* list = dynamic_cast<ui::ListBox*>(window_->FindControl(L"forms"));
  for (int i = 0; list && i < rows; ++i) {
    auto* row = new ui::ListContainerElement;
    ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row);
    list->Add(row);
  }
  window_->ArrangeRoot({kWidth, kHeight});
}

ExpectedMainWindow::~ExpectedMainWindow() {
  window_.reset();
  ui::Shutdown();
  ui::ResourcePackage::Close();
}

ui::UiRect ExpectedMainWindow::ControlRect(const std::wstring& name) const {
  ui::Control* control = window_->FindControl(name);
  return control ? control->GetPos() : ui::UiRect{};
}

ui::Control* ExpectedMainWindow::RowControl(int row, const std::wstring& name) const {
  auto* list = dynamic_cast<ui::ListBox*>(window_->FindControl(L"forms"));
  if (!list || row < 0 || static_cast<size_t>(row) >= list->GetCount()) return nullptr;
  auto* box = dynamic_cast<ui::Box*>(list->GetItemAt(row));
  if (!box) return nullptr;
  return box->FindControl([&name](ui::Control* c) { return c->GetName() == name; },
                          ui::kFindMeFirst, ui::UiPoint{});
}

ui::UiRect ExpectedMainWindow::RowControlRect(int row, const std::wstring& name) const {
  ui::Control* control = RowControl(row, name);
  return control ? control->GetPos() : ui::UiRect{};
}

void ExpectedMainWindow::SetText(const std::wstring& name, const std::wstring& text) {
  if (auto* label = dynamic_cast<ui::Label*>(window_->FindControl(name))) label->SetText(text);
}

void ExpectedMainWindow::SetRow(int row, const std::wstring& title, bool connected,
                                const std::wstring& state, bool red) {
  if (auto* label = dynamic_cast<ui::Label*>(RowControl(row, L"label_title"))) {
    label->SetText(title);
    label->SetEnabled(connected);
  }
  if (auto* label = dynamic_cast<ui::Label*>(RowControl(row, L"label_state"))) {
    label->SetStateTextColor(ui::ControlState::kNormal, red ? L"red" : L"black");
    label->SetText(state);
  }
}

Screenshot ExpectedMainWindow::Render(const ui::UiRect& rect) {
  ui::RenderContext context(kWidth, kHeight);
  context.FillRect(ui::UiRect{0, 0, kWidth, kHeight}, 0xFFFFFFFF);
  window_->ArrangeRoot({kWidth, kHeight});
  window_->Paint(context);
  Screenshot shot(rect.Width(), rect.Height());
  for (int y = 0; y < rect.Height(); ++y) {
    for (int x = 0; x < rect.Width(); ++x) {
      shot.Set(x, y, context.GetPixel(rect.left + x, rect.top + y) & 0xFFFFFF);
    }
  }
  return shot;
}

namespace {

bool Close(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = (a >> shift) & 0xFF;
    const int cb = (b >> shift) & 0xFF;
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

}  // namespace

int CountMismatches(const Screenshot& actual, int x, int y, const Screenshot& expected) {
  if (x < 0 || y < 0 || x + expected.width() > actual.width() ||
      y + expected.height() > actual.height()) {
    return expected.width() * expected.height();
  }
  int differ = 0;
  for (int j = 0; j < expected.height(); ++j) {
    for (int i = 0; i < expected.width(); ++i) {
      differ += !Close(actual.At(x + i, y + j), expected.At(i, j), 24);
    }
  }
  return differ;
}

int CountColour(const Screenshot& shot, const ui::UiRect& rect, uint32_t rgb, int tolerance) {
  int count = 0;
  for (int y = std::max(0, rect.top); y < std::min(shot.height(), rect.bottom); ++y) {
    for (int x = std::max(0, rect.left); x < std::min(shot.width(), rect.right); ++x) {
      count += Close(shot.At(x, y), rgb, tolerance);
    }
  }
  return count;
}

}  // namespace fleetsync_test
