// The connection to the X server, served by the UI loop.
//
// Contract:
// - Created, used and destroyed on the UI thread only; nothing else calls
//   Xlib. Attach it to the loop with UIMessageLoop::SetNativeEventSource and
//   detach it before destroying it.
// - DispatchNativeEvents handles every event already queued, each one passed
//   through the input method first (XFilterEvent), routes window events to
//   their NativeWindow, answers the clipboard, refreshes the keyboard mapping
//   on MappingNotify, and flushes the output at the end.
// - Windows register themselves while they exist; events for windows that are
//   gone (asynchronous destruction) are dropped, as are protocol errors about
//   them (see x_error_trap.h).
// - The Display must outlive every NativeWindow created on it. It may not be
//   destroyed from inside a window's event callback.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>

#include "base/native_event_source.h"
#include "platform/x11/clipboard.h"
#include "platform/x11/double_click_detector.h"
#include "platform/x11/input_method.h"
#include "platform/x11/window_event.h"

struct _XDisplay;
union _XEvent;

namespace platform::x11 {

class NativeWindow;

class Display final : public vbase::NativeEventSource {
 public:
  // Connects to `name` ($DISPLAY when null). Null when no server answers.
  static std::unique_ptr<Display> Open(const char* name = nullptr);
  ~Display() override;
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  int GetFd() const override;
  bool DispatchNativeEvents() override;

  _XDisplay* xdisplay() const { return display_; }
  int screen() const { return screen_; }
  WindowId root() const;

  // Interned atom, cached.
  unsigned long GetAtom(const std::string& name);

  // A compositing manager owns _NET_WM_CM_S<screen>: windows can be
  // translucent. Asked anew on every call, a compositor can come and go.
  bool HasCompositor();
  // The window manager lists `atom_name` in _NET_SUPPORTED.
  bool WindowManagerSupports(const std::string& atom_name);
  // _NET_WORKAREA of the current desktop, else the whole screen.
  Rect GetWorkArea();
  // The work area of the monitor `window` (root coordinates) is on.
  Rect GetWorkArea(const Rect& window);
  // Dots per inch the UI should be drawn for (Xft.dpi, else the screen's
  // physical size).
  int GetDpi() const;
  Size GetScreenSize() const;

  // A font cursor, created on first use and freed with the Display.
  unsigned long GetCursor(PointerShape shape);

  Clipboard& clipboard() { return *clipboard_; }
  InputMethod& input_method() { return *input_method_; }

  // Server time of the last event with a timestamp (CurrentTime before any),
  // for requests that want one (selection ownership, focus).
  unsigned long last_event_time() const { return last_event_time_; }

  void Flush();

 private:
  friend class NativeWindow;
  explicit Display(_XDisplay* display);

  void RegisterWindow(WindowId id, NativeWindow* window);
  void UnregisterWindow(WindowId id);
  void HandleEvent(_XEvent& event);
  void NoteEventTime(const _XEvent& event);
  DoubleClickDetector& double_click() { return double_click_; }

  _XDisplay* display_;
  int screen_ = 0;
  WindowId utility_window_ = 0;  // owns the clipboard
  std::unordered_map<std::string, unsigned long> atoms_;
  std::unordered_map<int, unsigned long> cursors_;
  std::unordered_map<WindowId, NativeWindow*> windows_;
  std::unique_ptr<InputMethod> input_method_;
  std::unique_ptr<Clipboard> clipboard_;
  DoubleClickDetector double_click_;
  unsigned long last_event_time_ = 0;
};

}  // namespace platform::x11
