// Test support for the application's windows under Xvfb: the themed GUI
// test's display, loop and timers with the loop registered as thread 0, a
// plain owner window, and look-ups of top-level windows by WM_CLASS.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

#include "base/thread_registry.h"
#include "tests/ui/host/gui_test_support.h"
#include "ui/window/window_impl_base.h"

namespace fleetsync_test {

// A plain shown window that the windows under test are owned by.
class OwnerWindow : public ui::WindowImplBase {
 public:
  explicit OwnerWindow(bool* gone) : gone_(gone) {}

 protected:
  std::wstring GetWindowClassName() const override { return L"fleetsync-test-owner"; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override {
    return L"<Window size=\"900,640\"><VBox bkcolor=\"bk_wnd_lightcolor\"/></Window>";
  }
  void OnFinalMessage() override {
    *gone_ = true;
    ui::WindowImplBase::OnFinalMessage();
  }

 private:
  bool* gone_;
};

class GuiSession : public ui::testing_support::ThemedGuiTest {
 protected:
  void SetUp() override {
    ThemedGuiTest::SetUp();
    if (!display_) return;
    ASSERT_TRUE(vbase::ThreadRegistry::RegisterThread(0));
    registered_ = true;
    // The pointer starts away from where the windows appear.
    Xdotool("mousemove 5 5");
  }
  void TearDown() override {
    if (!display_) return;
    // Toasts left open close by themselves (and are deleted) within their
    // two seconds; nothing may outlive the session.
    RunUntil([this] { return MappedWindowsOfClass("Toast").empty(); }, 3000);
    if (owner_ && !owner_gone_) delete owner_;
    RunFor(50);
    if (registered_) vbase::ThreadRegistry::UnregisterThread();
    ThemedGuiTest::TearDown();
  }

  void OpenOwner() {
    owner_ = new OwnerWindow(&owner_gone_);
    ASSERT_TRUE(owner_->Create(*windows_, nullptr, L"主窗口", ui::UiRect{150, 80, 1050, 720}));
    owner_->ShowWindow(true, true);
    ASSERT_TRUE(RunUntil([this] { return NativeWindowOf(owner_->host())->mapped(); }));
    platform::x11::testing::DispatchEventsCausedSoFar(*display_, loop_);  // painted
  }

  // Mapped top-level windows whose WM_CLASS class is `wm_class`, bottom first.
  std::vector<Window> MappedWindowsOfClass(const std::string& wm_class) const {
    std::vector<Window> found;
    ::Display* x = display_->xdisplay();
    Window root_return = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, display_->root(), &root_return, &parent, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(x, children[i], &hint)) continue;
      const bool match = hint.res_class && wm_class == hint.res_class;
      XFree(hint.res_name);
      XFree(hint.res_class);
      XWindowAttributes attributes{};
      if (match && XGetWindowAttributes(x, children[i], &attributes) &&
          attributes.map_state == IsViewable) {
        found.push_back(children[i]);
      }
    }
    if (children) XFree(children);
    return found;
  }
  // _NET_WM_NAME (UTF-8) of a window.
  std::string WindowTitle(Window window) const {
    ::Display* x = display_->xdisplay();
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(x, window, display_->GetAtom("_NET_WM_NAME"), 0, 4096, False,
                           display_->GetAtom("UTF8_STRING"), &type, &format, &items, &after,
                           &data) == Success &&
        data) {
      title.assign(reinterpret_cast<char*>(data), items);
      XFree(data);
    }
    return title;
  }
  std::vector<std::string> ToastTitles() const {
    std::vector<std::string> titles;
    for (Window w : MappedWindowsOfClass("Toast")) titles.push_back(WindowTitle(w));
    return titles;
  }

  bool registered_ = false;
  OwnerWindow* owner_ = nullptr;
  bool owner_gone_ = false;
};

}  // namespace fleetsync_test
