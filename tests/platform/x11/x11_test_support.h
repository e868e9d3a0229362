// Helpers of the X11 tests: event recording, pumping one or more displays
// until a condition holds, and running the X command-line tools.
#pragma once

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/x11/native_window.h"
#include "platform/x11/window_event.h"
#include "platform/x11/x11_display.h"
#include "tests/support/run_loop_until.h"
#include "tests/support/wait_until.h"

extern char** environ;

namespace platform::x11::testing {

class RecordingListener : public WindowListener {
 public:
  void OnWindowEvent(const WindowEvent& event) override {
    events.push_back(event);
    if (on_event) on_event(event);
  }
  int Count(EventType type) const {
    int n = 0;
    for (const auto& e : events) n += e.type == type;
    return n;
  }
  const WindowEvent* Last(EventType type) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
      if (it->type == type) return &*it;
    return nullptr;
  }
  std::vector<WindowEvent> Of(EventType type) const {
    std::vector<WindowEvent> out;
    for (const auto& e : events)
      if (e.type == type) out.push_back(e);
    return out;
  }
  std::string TypedText() const {
    std::string text;
    for (const auto& e : events)
      if (e.type == EventType::kKeyPress) text += e.text;
    return text;
  }

  std::vector<WindowEvent> events;
  std::function<void(const WindowEvent&)> on_event;
};

// Opens $DISPLAY (null when it is not set). A server whose last client has
// gone resets itself and refuses connections for a moment, so this tries for
// a while.
inline std::unique_ptr<Display> OpenDisplay() {
  std::unique_ptr<Display> display;
  if (std::getenv("DISPLAY"))
    fleetsync_test::WaitUntil([&] { return (display = Display::Open()) != nullptr; },
                              std::chrono::seconds(5));
  return display;
}

// Waits for what has happened so far to take effect, by events rather than
// by time: once an input command (xdotool) has exited the server has handled
// its requests, and a round trip brings every event they caused. Each round
// dispatches those events and runs the tasks they posted (a repaint, whose
// resize may cause another round); it ends when a round trip brings nothing.
inline void DispatchEventsCausedSoFar(Display& display, vbase::MessageLoop& loop) {
  ::Display* x = display.xdisplay();
  for (int round = 0; round < 50; ++round) {
    XSync(x, False);
    if (XPending(x) == 0) return;
    fleetsync_test::RunLoopUntil(loop, [x] { return XPending(x) == 0; });
    fleetsync_test::RunLoopUntil(loop, [] { return true; });  // after the tasks they posted
  }
}

// Serves the displays until `done` holds or `timeout` passes; true if done.
inline bool PumpUntil(std::initializer_list<Display*> displays, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    for (Display* d : displays) d->DispatchNativeEvents();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::vector<pollfd> fds;
    for (Display* d : displays) fds.push_back(pollfd{d->GetFd(), POLLIN, 0});
    ::poll(fds.data(), fds.size(), 10);
  }
}

inline bool PumpUntil(Display& display, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
  return PumpUntil({&display}, done, timeout);
}

// Serves the display for a while (lets late events arrive).
inline void PumpFor(Display& display, std::chrono::milliseconds duration) {
  PumpUntil(display, [] { return false; }, duration);
}

// Runs a shell command line and returns its standard output.
inline std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// A child process started with argv (no shell); Wait() reaps it.
class Child {
 public:
  explicit Child(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    if (::posix_spawnp(&pid_, args[0], nullptr, nullptr, args.data(), environ) != 0) pid_ = -1;
  }
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  // True once the child has exited (reaped).
  bool Exited() {
    if (pid_ <= 0) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      return true;
    }
    return false;
  }
  int exit_code() const { return exit_code_; }

 private:
  pid_t pid_ = -1;
  int exit_code_ = -1;
};

// Runs a tool while serving the display, so that the events it causes are
// handled as they arrive; true if it exited with 0.
inline bool RunServing(Display& display, std::vector<std::string> argv) {
  Child child(std::move(argv));
  if (!child.started()) return false;
  PumpUntil(display, [&] { return child.Exited(); }, std::chrono::seconds(10));
  PumpFor(display, std::chrono::milliseconds(50));
  return child.Exited() && child.exit_code() == 0;
}

// Reads one pixel of the screen as 0xRRGGBB.
inline unsigned long ScreenPixel(Display& display, int x, int y) {
  XImage* image = XGetImage(display.xdisplay(), display.root(), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xDEADBEEF;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// Asks `window` to close as a window manager does (WM_DELETE_WINDOW), from a
// connection of its own.
inline void SendWmDelete(WindowId window) {
  ::Display* other = XOpenDisplay(nullptr);
  if (!other) return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(other, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(other, window, False, NoEventMask, &event);
  XSync(other, False);
  XCloseDisplay(other);
}

inline WindowOptions Options(const std::string& title, const std::string& class_name) {
  WindowOptions options;
  options.title = title;
  options.class_name = class_name;
  return options;
}

inline std::string Hex(WindowId id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

}  // namespace platform::x11::testing

#define SKIP_WITHOUT_DISPLAY()                                          \
  do {                                                                  \
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "DISPLAY is not set"; \
  } while (0)
