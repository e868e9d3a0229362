// Looks at the real program's windows from outside, the way a user sees
// them: finds top-level windows by WM_CLASS, grabs their pixels from the
// screen and clicks through xdotool.
//
// Uses its own X connection ($DISPLAY); one thread. A Screenshot is a copy
// in memory (RGB, 0xRRGGBB per pixel) that can be saved as a PNG.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace fleetsync_test {

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class Screenshot {
 public:
  Screenshot(int width, int height) : width_(width), height_(height), pixels_(width * height) {}
  int width() const { return width_; }
  int height() const { return height_; }
  uint32_t At(int x, int y) const { return pixels_[y * width_ + x]; }
  void Set(int x, int y, uint32_t rgb) { pixels_[y * width_ + x] = rgb; }
  bool SavePng(const std::string& path) const;

 private:
  int width_;
  int height_;
  std::vector<uint32_t> pixels_;
};

class ScreenProbe {
 public:
  // Null when no X server answers.
  static std::unique_ptr<ScreenProbe> Open();
  ~ScreenProbe();
  ScreenProbe(const ScreenProbe&) = delete;
  ScreenProbe& operator=(const ScreenProbe&) = delete;

  // Mapped top-level windows whose WM_CLASS name or class is `wm_class`, as
  // screen rectangles, in stacking order (bottom first).
  std::vector<ScreenRect> FindWindows(const std::string& wm_class);
  std::optional<ScreenRect> FindWindow(const std::string& wm_class);
  // Mapped top-level windows with any WM_CLASS other than the ones given.
  std::vector<ScreenRect> FindOtherWindows(const std::vector<std::string>& wm_classes);

  // The screen's pixels inside `area`.
  Screenshot Grab(const ScreenRect& area);
  Screenshot GrabScreen();

  // xdotool moves the pointer to the screen point and clicks button 1.
  static bool Click(int x, int y);
  static bool PressKey(const std::string& key);
  static bool MovePointer(int x, int y);

 private:
  explicit ScreenProbe(_XDisplay* display) : display_(display) {}
  template <typename Match>
  std::vector<ScreenRect> Find(Match match);

  _XDisplay* display_;
};

}  // namespace fleetsync_test
