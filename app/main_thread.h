// MainThread: the program's UI thread. Run it on the process's first thread
// with a UI loop (RunOnCurrentThreadWithLoop(kUI)); it returns when the main
// window has closed.
//
// Init, in this order: registers the thread as identifier 0, opens the
// resource package from the archive built into the program, connects to the
// X display and attaches it to the loop together with the stop signals,
// starts the UI framework ("themes/default", "lang/zh_CN") at the scale of
// the display's DPI, then creates, centres and shows the main window. When the display or the window cannot
// be made it says so on stderr, sets a non-zero exit code and quits the loop.
//
// A stop signal (SIGINT, SIGTERM) closes the main window, which takes the
// same path as any other close. Call StopSignalSource::BlockStopSignals
// before the first thread starts.
//
// Cleanup, after the loop: deletes a main window still waiting for its
// native destruction, detaches and closes the display, shuts the framework
// down, closes the package and unregisters the thread.
#pragma once

#include <memory>

#include "base/framework_thread.h"
#include "base/weak_callback.h"

namespace platform::x11 {
class Display;
}
namespace ui {
class UiTimerScope;
class X11WindowSystem;
}
class BasicForm;
class StopSignalSource;

class MainThread : public vbase::FrameworkThread {
 public:
  MainThread();
  ~MainThread() override;

  // 0 after a normal run; 1 when the display or the main window could not be
  // made.
  int exit_code() const { return exit_code_; }

 private:
  void Init() override;
  void Cleanup() override;

  bool OpenDisplay();
  bool CreateMainWindow();
  void OnStopSignal();
  BasicForm* live_form() const { return form_alive_.expired() ? nullptr : form_; }

  std::unique_ptr<platform::x11::Display> display_;
  std::unique_ptr<ui::X11WindowSystem> window_system_;  // windows on display_
  std::unique_ptr<StopSignalSource> event_source_;
  std::unique_ptr<ui::UiTimerScope> timers_;
  BasicForm* form_ = nullptr;  // owned by the window base; see live_form()
  std::weak_ptr<vbase::WeakFlag> form_alive_;
  bool registered_ = false;
  int exit_code_ = 0;
};
