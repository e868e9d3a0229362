// A WindowHost that records what the window core asks of the native side
// (FakeHostOf<TopLevelHost> is the base of the window base's fake).
#pragma once

#include "ui/core/window_host.h"

namespace ui::testing_support {

template <typename Base>
class FakeHostOf : public Base {
 public:
  void Invalidate(const UiRect&) override {}
  UiSize GetClientSize() const override { return client; }
  void SetCursor(CursorType c) override { cursor = c; }
  void SetCapture() override { captured = true; }
  void ReleaseCapture() override { captured = false; }
  bool IsCaptured() const override { return captured; }
  bool HasNativeFocus() const override { return native_focus; }
  void SetNativeFocus() override { native_focus = true; }
  void ShowTooltip(const UiRect&, const std::wstring&) override {}
  void HideTooltip() override {}
  void PostDestroyQueuedControls() override { ++destroy_posts; }
  uintptr_t GetNativeHandle() const override { return 1; }
  void SetClipboardText(const std::wstring& text) override { clipboard = text; }
  void RequestClipboardText(std::function<void(std::optional<std::wstring>)> done) override {
    done(clipboard.empty() ? std::nullopt : std::optional<std::wstring>(clipboard));
  }
  // No timer ever fires: no time passes here.
  void StartTimer(vbase::WeakCallbackFlag&, std::function<void()>, int) override {}

  UiSize client{400, 300};
  CursorType cursor = CursorType::kArrow;
  bool captured = false;
  bool native_focus = false;
  int destroy_posts = 0;
  std::wstring clipboard;
};

using FakeHost = FakeHostOf<WindowHost>;

}  // namespace ui::testing_support
