// The gallery: one window showing every control the application uses, built
// on the window base with the application's theme. For trying the framework
// by hand, for screenshots and for the GUI tests.
//
// Threads: UI thread only (a ui::WindowImplBase). Closing it quits the
// thread's message loop unless quit_on_close is false.
#pragma once

#include <string>

#include "ui/window/window_impl_base.h"

namespace gallery {

class GalleryWindow : public ui::WindowImplBase {
 public:
  static constexpr wchar_t kClassName[] = L"fleetsync-gallery";
  static constexpr int kDeviceRows = 4;

  explicit GalleryWindow(bool quit_on_close = true) : quit_on_close_(quit_on_close) {}

  // Paints the whole window as it is shown over white to a PNG (with its
  // drawn shadow when the window is translucent).
  bool SaveScreenshot(const std::string& path);

 protected:
  std::wstring GetWindowClassName() const override { return kClassName; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override;
  void InitWindow() override;
  void OnClose() override;
  bool OnKeyDown(wchar_t key_code, uint32_t modifiers) override;

 private:
  bool quit_on_close_;
};

}  // namespace gallery
