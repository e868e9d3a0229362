#include "ui/host/tooltip_window.h"

#include "ui/controls/box.h"
#include "ui/controls/label.h"
#include "ui/host/x11_window_host.h"
#include "ui/markup/layout_builder.h"

namespace ui {
namespace {

constexpr wchar_t kTooltipMarkup[] = LR"(<Window>
  <HBox width="auto" height="auto" bkcolor="tooltip_background" bordercolor="tooltip_border" bordersize="1">
    <Label name="tooltip_text" width="auto" height="auto" textpadding="6,3,6,3" font="system_12" normaltextcolor="tooltip_text"/>
  </HBox>
</Window>)";

}  // namespace

TooltipWindow::TooltipWindow(platform::x11::Display& display) : display_(display) {
  window_.AddTextColor(L"tooltip_background", 0xFFFFFFF0);
  window_.AddTextColor(L"tooltip_border", 0xFF8C8C8C);
  window_.AddTextColor(L"tooltip_text", 0xFF333333);
  if (auto* root = dynamic_cast<Box*>(LayoutBuilder::Create(kTooltipMarkup, {}, &window_))) {
    window_.AttachRoot(root);
    label_ = dynamic_cast<Label*>(window_.FindControl(L"tooltip_text"));
  }
}

TooltipWindow::~TooltipWindow() { host_.reset(); }

bool TooltipWindow::EnsureNativeWindow(int screen_x, int screen_y) {
  if (host_ && host_->native_window().alive()) return true;
  WindowOptions options;
  options.class_name = kClassName;
  options.title = kClassName;
  options.notification = true;  // override-redirect: no frame, no focus
  options.translucent = false;
  options.bounds = ScreenRect{screen_x, screen_y, 10, 10};
  host_ = X11WindowHost::Create(display_, window_, options);
  return host_ != nullptr;
}

void TooltipWindow::Show(int screen_x, int screen_y, const std::wstring& text) {
  if (!label_) return;
  if (visible_ && text == text_) return;
  if (!EnsureNativeWindow(screen_x, screen_y)) return;
  text_ = text;
  static_cast<Label*>(label_)->SetText(text);
  const UiSize size = window_.EstimateRootSize(host_->GetClientSize());
  platform::x11::NativeWindow& native = host_->native_window();
  native.SetBounds(platform::x11::Rect{screen_x, screen_y, size.cx, size.cy});
  native.Show(false);
  native.Raise();
  visible_ = true;
}

void TooltipWindow::Hide() {
  text_.clear();
  if (!visible_) return;
  visible_ = false;
  if (host_) host_->native_window().Hide();
}

}  // namespace ui
