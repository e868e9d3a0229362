// A source of native window-system events that a UI loop serves on its own
// thread, between its tasks (the X11 connection of the window host).
//
// The pump calls both operations on the loop thread only. It polls GetFd()
// together with its own wake-up descriptor and calls DispatchNativeEvents()
// once per turn, always after the last task it ran and before it sleeps, so
// the source sees every event its library queued internally (XPending) and
// flushes its output there. DispatchNativeEvents must consume whatever made
// the descriptor readable, or the pump keeps waking.
#pragma once

namespace vbase {

class NativeEventSource {
 public:
  virtual ~NativeEventSource() = default;
  virtual int GetFd() const = 0;            // readable when native events may be waiting
  virtual bool DispatchNativeEvents() = 0;  // handles every event already queued (XPending loop); true if any
};

}  // namespace vbase
