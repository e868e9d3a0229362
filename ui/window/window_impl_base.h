// ui::WindowImplBase: the standard skinned application window. It IS the
// ui::Window (the control tree and routing references) and owns its native
// window (a TopLevelHost that the WindowSystem given to Create makes) and
// its input router. It sees no window system's own types.
//
// Create builds the layout GetSkinFolder()/GetSkinFile() into the window,
// binds "closebtn", "minbtn", "maxbtn" and "restorebtn", creates the native
// window (WM_CLASS = GetWindowClassName(), size limits from mininfo/maxinfo,
// transient for the owner) and calls InitWindow. The caption rectangle drags
// the window (a double click there maximises or restores when the layout has
// a "maxbtn") and the size box resizes it (not while maximised); everything
// else is routed to the controls.
//
// Owned windows (created with this one as owner, or shown modal to it) go
// with it: its destruction destroys those still there, so no window, and
// nothing a window runs (a picker), outlives the program's main window.
//
// Closing: Close(code) re-enables and focuses a fake-modal owner at once,
// fades the root out and closes 300 ms later (a second Close while closing
// does nothing). The close cancels pointer state, clears the focus, calls
// OnClose and destroys the native window; once it is gone OnFinalMessage runs,
// which by default deletes the object (windows are created with new).
//
// Threads: UI thread only, with the thread's message loop running the
// window system and (for fades and timed work) a ui::UiTimerScope alive. The
// WindowSystem must outlive the window. An owner may go first: the window then
// forgets it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/weak_callback.h"
#include "ui/controls/window.h"
#include "ui/core/window_system.h"
#include "ui/window/hit_test.h"
#include "ui/window/input_router.h"

namespace ui {

class Control;
class TimerManager;

class WindowImplBase : public Window, private InputRouterDelegate {
 public:
  static constexpr int kCloseDelayMs = 300;

  WindowImplBase();
  ~WindowImplBase() override;

  // Builds the layout and creates the native window, not yet shown. An empty
  // `bounds` takes the layout's size at the origin. The bounds are those of
  // the visible frame: a drawn shadow (translucent windows only) lies around
  // them. False when the layout or the native window cannot be made.
  bool Create(WindowSystem& system, WindowImplBase* owner, const std::wstring& title,
              const UiRect& bounds = {}, bool translucent = true);

  void ShowWindow(bool show = true, bool take_focus = true);
  // Closes after the root's fade; `code` is kept as close_code().
  void Close(int code = 0);
  // Centres over the owner (when it is shown), else over the work area of
  // the window's monitor, and keeps the window inside that work area.
  void CenterWindow();
  // Where a frame of this size goes by the rule of CenterWindow.
  ScreenRect CenteredFrame(int width, int height) const;
  // Shows the window modal to `owner`: the owner is disabled until this
  // window closes.
  void ShowModalFake(WindowImplBase* owner);
  // A window that takes no input (under a modal window or dialog) also
  // drops its hover and press at once.
  void SetInputEnabled(bool enabled) override;
  void RefreshHover() override { router_.RefreshHover(); }

  // The native window's icon from a picture of the resource package (a path
  // relative to the window's resource folder), at the two usual sizes, 32
  // and 16 pixels. False when there is no native window or no such picture.
  bool SetIcon(const std::wstring& image_path);

  void Minimize();
  void Maximize();  // the frame to its monitor's work area, without the shadow
  void Restore();
  bool IsMaximized() const { return maximized_; }
  bool IsFakeModal() const { return fake_modal_; }
  bool IsClosing() const { return closing_; }
  int close_code() const { return close_code_; }

  // Null before Create and after the native window is gone.
  TopLevelHost* host() const { return host_.get(); }
  WindowSystem* window_system() const { return system_; }
  WindowImplBase* owner() const;
  InputRouter& input_router() { return router_; }
  // Where the point (client coordinates) falls: caption, size box or client.
  HitArea HitTest(UiPoint point) const;

 protected:
  // The class of the native window (WM_CLASS); tests and the desktop find
  // windows by it.
  virtual std::wstring GetWindowClassName() const = 0;
  // Folder under the theme ("fleet_sync") and layout file ("main.xml"); a
  // skin file that starts with "<" is the layout's markup itself.
  virtual std::wstring GetSkinFolder() = 0;
  virtual std::wstring GetSkinFile() = 0;
  // Controls of elements the built-in table does not know; null for none.
  virtual Control* CreateControl(const std::wstring& element);
  // Last word on the native window's options before it is created (a toast
  // asks for a notification window here).
  virtual void AdjustWindowOptions(WindowOptions& options) { (void)options; }
  // The layout is attached and the native window exists.
  virtual void InitWindow() {}
  // The window is closing for good (after the fade, before destruction).
  virtual void OnClose() {}
  // A key press before it is routed to the focus control (key code and
  // modifiers of ui/core/key_codes.h); true consumes it. Escape handling goes here.
  virtual bool OnKeyDown(wchar_t key_code, uint32_t modifiers);
  // The native window is gone: the last call. Deletes the object.
  virtual void OnFinalMessage();
  // Click handler of the system buttons; true when handled.
  virtual bool OnSysButtonClick(const EventArgs& args);

 private:
  void BindSystemButtons();
  void OnNativeInput(const WindowEvent& event);
  bool StartFrameDrag(const WindowEvent& event);
  void UpdateFrameCursor(UiPoint point);
  void FadeOutRoot(TimerManager& timers);
  void FinishClose();
  void OnNativeDestroyed();
  void SwapMaxRestoreButtons(bool maximized);

  // InputRouterDelegate.
  void StartHoverTimer() override;
  void StopHoverTimer() override;

  WindowSystem* system_ = nullptr;
  std::unique_ptr<TopLevelHost> host_;
  InputRouter router_;
  void SetOwner(WindowImplBase* owner);

  WindowImplBase* owner_ = nullptr;
  std::weak_ptr<vbase::WeakFlag> owner_alive_;
  std::vector<std::pair<WindowImplBase*, std::weak_ptr<vbase::WeakFlag>>> owned_;
  bool fake_modal_ = false;
  bool closing_ = false;
  bool maximized_ = false;
  bool frame_cursor_ = false;  // a resize cursor is showing
  int close_code_ = 0;
  ScreenRect restore_bounds_;
  vbase::WeakCallbackFlag close_flag_;
  vbase::WeakCallbackFlag hover_flag_;
};

}  // namespace ui
