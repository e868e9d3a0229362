// The main window as it should look, drawn off screen by the framework from
// the same layouts: where its controls are, and what given texts look like
// in them, to compare with what the real program puts on the screen.
//
// Starts the UI framework from the embedded theme in this process; one at a
// time, on the test's thread.
#pragma once

#include <memory>
#include <string>

#include "tests/app/window/screen_probe.h"
#include "ui/core/geometry.h"

namespace ui {
class Window;
class Control;
}  // namespace ui

namespace fleetsync_test {

class ExpectedMainWindow {
 public:
  static constexpr int kWidth = 500;
  static constexpr int kHeight = 600;

  // "fleet_sync/main.xml" with `rows` rows of "fleet_sync/device_item.xml",
  // arranged at the window's size, list scrolled to the top.
  explicit ExpectedMainWindow(int rows);
  ~ExpectedMainWindow();

  // Window coordinates of a named control, or of a control of row `row`.
  ui::UiRect ControlRect(const std::wstring& name) const;
  ui::UiRect RowControlRect(int row, const std::wstring& name) const;

  void SetText(const std::wstring& name, const std::wstring& text);
  // A row as the program shows it: title enabled while connected, the state
  // in black or red.
  void SetRow(int row, const std::wstring& title, bool connected, const std::wstring& state,
              bool red);

  // The pixels of `rect` with everything set so far.
  Screenshot Render(const ui::UiRect& rect);

 private:
  ui::Control* RowControl(int row, const std::wstring& name) const;

  std::unique_ptr<ui::Window> window_;
};

// Pixels of `expected` that differ from the pixels of `actual` at offset
// (x, y) by more than a small colour tolerance; every pixel when it does not
// fit.
int CountMismatches(const Screenshot& actual, int x, int y, const Screenshot& expected);

// Pixels of `shot` inside `rect` whose colour is close to `rgb`.
int CountColour(const Screenshot& shot, const ui::UiRect& rect, uint32_t rgb, int tolerance = 40);

}  // namespace fleetsync_test
