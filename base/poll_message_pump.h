// The pump of UI and IO loops: one thread serves posted and delayed tasks and
// the events of an optional NativeEventSource, sleeping in poll() on the
// source's descriptor and the pump's own wake-up eventfd.
//
// Each turn dispatches the native events already queued (one round), runs at
// most one immediate and one due delayed task, and sleeps only when none of
// them did anything, so a stream of posted tasks cannot starve input and a
// flood of input cannot starve tasks.
//
// Threads: ScheduleWork from any thread; everything else on the loop thread.
// The source is not owned; detach it (nullptr) before destroying it.
#pragma once

#include <atomic>

#include "base/message_pump.h"
#include "base/native_event_source.h"

namespace vbase {

class PollMessagePump final : public MessagePump {
 public:
  PollMessagePump();
  ~PollMessagePump() override;
  PollMessagePump(const PollMessagePump&) = delete;
  PollMessagePump& operator=(const PollMessagePump&) = delete;

  void Run(Delegate* delegate) override;
  void Quit() override;
  void ScheduleWork() override;
  void ScheduleDelayedWork(TimeTicks delayed_work_time) override;

  void SetNativeEventSource(NativeEventSource* source);

  // The quit message of the thread: the innermost run ends at its next turn
  // and the message stays posted, so every enclosing run ends as well, one
  // after the other. It is consumed when the outermost run ends; posted while
  // no run is active, it ends the next run at once.
  void PostQuitMessage();

 private:
  struct RunRecord {
    Delegate* delegate;
    int depth;
    bool should_quit;
  };

  void DoRunLoop();
  void WaitForWork();

  int wake_fd_ = -1;  // eventfd; -1 if it could not be created (then the pump polls)
  // Set while a wake-up is outstanding, so that at most one is written.
  std::atomic<bool> have_work_{false};

  // Loop thread only.
  TimeTicks delayed_work_time_;
  RunRecord* run_ = nullptr;
  NativeEventSource* source_ = nullptr;
  bool quit_message_posted_ = false;
};

}  // namespace vbase
