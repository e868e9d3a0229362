// The tooltip of a window: a small override-redirect window showing one
// line of text below the control it describes. It draws itself with the
// framework (a label in a box sized to its content).
//
// Contract: UI thread only; owned by the window host it belongs to. The
// native window is created on the first Show and destroyed with the object.
#pragma once

#include <memory>
#include <string>

#include "platform/x11/x11_display.h"
#include "ui/controls/window.h"

namespace ui {

class Control;
class X11WindowHost;

class TooltipWindow {
 public:
  static constexpr wchar_t kClassName[] = L"fleetsync-tooltip";

  explicit TooltipWindow(platform::x11::Display& display);
  ~TooltipWindow();
  TooltipWindow(const TooltipWindow&) = delete;
  TooltipWindow& operator=(const TooltipWindow&) = delete;

  // Shows `text` with the tooltip's top-left corner at the screen point.
  void Show(int screen_x, int screen_y, const std::wstring& text);
  void Hide();
  bool visible() const { return visible_; }
  const std::wstring& text() const { return text_; }

 private:
  bool EnsureNativeWindow(int screen_x, int screen_y);

  platform::x11::Display& display_;
  Window window_;
  Control* label_ = nullptr;  // a Label
  std::unique_ptr<X11WindowHost> host_;
  std::wstring text_;
  bool visible_ = false;
};

}  // namespace ui
