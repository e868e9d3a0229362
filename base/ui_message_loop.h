// UIMessageLoop: the loop of the thread that owns the windows. It serves
// posted and delayed tasks and the events of one NativeEventSource (the X11
// connection) on that thread; see PollMessagePump for the order of a turn.
//
// Threads: created, run and destroyed on the UI thread; SetNativeEventSource
// and PostQuitMessage are for that thread only. Posting works as for every
// MessageLoop.
#pragma once

#include <memory>

#include "base/message_loop.h"
#include "base/native_event_source.h"

namespace vbase {

class PollMessagePump;

class UIMessageLoop final : public MessageLoop {
 public:
  UIMessageLoop();

  // The calling thread's loop if it is a UI loop, else null.
  static UIMessageLoop* current();

  // Attaches the source whose events the loop dispatches; nullptr detaches.
  // The source is not owned and must be detached before it is destroyed.
  void SetNativeEventSource(NativeEventSource* source);

  // See PostQuitMessage below.
  void PostQuitMessage();

 private:
  explicit UIMessageLoop(std::shared_ptr<PollMessagePump> pump);

  PollMessagePump* ui_pump_;
};

// Stand-in for the system's quit message: ends the current thread's UI loop
// run at its next turn, and each enclosing nested run after it, without
// running the tasks still queued (they are destroyed with the loop). False if
// the calling thread has no UI loop.
bool PostQuitMessage();

}  // namespace vbase
