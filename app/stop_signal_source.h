// StopSignalSource: SIGINT and SIGTERM as events of the UI loop, so that a
// stop from outside ends the program the same way as closing its window.
//
// The signals are blocked in every thread (BlockStopSignals, first thing in
// main, before any thread exists) and read from a signalfd; no work happens
// in a signal handler. The UI loop polls a single descriptor, so the source
// wraps the window system's event source: an epoll descriptor holds both,
// and every dispatch serves the wrapped source first, then the signals.
// Children get an empty signal mask from the process layer, so blocking here
// does not leak into adb or the updater.
//
// Threads: created, attached, used and destroyed on the UI thread. The
// wrapped source must outlive this one.
#pragma once

#include <functional>
#include <memory>

#include "base/native_event_source.h"
#include "platform/unique_fd.h"

class StopSignalSource final : public vbase::NativeEventSource {
 public:
  // Blocks SIGINT and SIGTERM in the calling thread, and so in every thread
  // it starts afterwards.
  static void BlockStopSignals();

  // `on_stop` runs on the loop thread once for every stop signal received.
  // Null when the descriptors cannot be created.
  static std::unique_ptr<StopSignalSource> Create(vbase::NativeEventSource& wrapped,
                                                  std::function<void()> on_stop);

  int GetFd() const override { return epoll_fd_.get(); }
  bool DispatchNativeEvents() override;

 private:
  StopSignalSource(vbase::NativeEventSource& wrapped, std::function<void()> on_stop,
                   platform::UniqueFd epoll_fd, platform::UniqueFd signal_fd);

  vbase::NativeEventSource& wrapped_;
  const std::function<void()> on_stop_;
  platform::UniqueFd epoll_fd_;
  platform::UniqueFd signal_fd_;
};
