// Looks at the real program's windows from outside, the way a user sees
// them: finds top-level windows by WM_CLASS, grabs their pixels from the
// screen (to read with tests/support/screen_text.h) and clicks through
// xdotool.
//
// Uses its own X connection ($DISPLAY); one thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/screen_text.h"

struct _XDisplay;

namespace fleetsync_test {

// Saves `grab` as a PNG file; false when it cannot be written.
bool SavePng(const ScreenGrab& grab, const std::string& path);

class ScreenProbe {
 public:
  // Null when no X server answers.
  static std::unique_ptr<ScreenProbe> Open();
  ~ScreenProbe();
  ScreenProbe(const ScreenProbe&) = delete;
  ScreenProbe& operator=(const ScreenProbe&) = delete;

  // Mapped top-level windows whose WM_CLASS name or class is `wm_class`, as
  // screen rectangles of the part that takes clicks (without a drawn
  // shadow), in stacking order (bottom first).
  std::vector<ScreenRect> FindWindows(const std::string& wm_class);
  std::optional<ScreenRect> FindWindow(const std::string& wm_class);
  // Mapped top-level windows with any WM_CLASS other than the ones given.
  std::vector<ScreenRect> FindOtherWindows(const std::vector<std::string>& wm_classes);

  // Whether a compositing manager runs on the screen.
  bool HasCompositor();

  // Replaces the screen's X resources (RESOURCE_MANAGER, as xrdb sets it).
  void SetResources(const std::string& resources);

  // The screen's pixels inside `area`.
  ScreenGrab Grab(const ScreenRect& area);
  ScreenGrab GrabScreen();

  // xdotool moves the pointer to the screen point and clicks button 1.
  static bool Click(int x, int y);
  static bool PressKey(const std::string& key);
  static bool MovePointer(int x, int y);

 private:
  explicit ScreenProbe(_XDisplay* display) : display_(display) {}
  template <typename Match>
  std::vector<ScreenRect> Find(Match match);
  ScreenRect ClickableArea(unsigned long window, const ScreenRect& bounds);

  _XDisplay* display_;
};

}  // namespace fleetsync_test
