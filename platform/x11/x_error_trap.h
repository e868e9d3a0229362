// Protocol errors of the X connection.
//
// Xlib's default handler ends the process on any error. Windows here are
// destroyed asynchronously (the server may already have destroyed a window
// the program still addresses), so the layer installs one process-wide
// handler that never exits: errors on windows that are gone (BadWindow,
// BadDrawable) and focus requests on windows not (yet) viewable are
// expected and dropped, others are written to stderr.
// A ScopedXErrorTrap lets one piece of code find out synchronously whether
// its requests failed. UI thread only.
#pragma once

struct _XDisplay;

namespace platform::x11 {

// Installs the handler (idempotent).
void InstallXErrorHandler();

class ScopedXErrorTrap {
 public:
  explicit ScopedXErrorTrap(_XDisplay* display);
  ~ScopedXErrorTrap();
  ScopedXErrorTrap(const ScopedXErrorTrap&) = delete;
  ScopedXErrorTrap& operator=(const ScopedXErrorTrap&) = delete;

  // Waits for the server to process the requests made so far (XSync) and
  // returns the first error code seen since the trap was set (0: none).
  int Sync();

 private:
  _XDisplay* display_;
  ScopedXErrorTrap* previous_;
  int error_code_ = 0;
  friend int HandleXError(_XDisplay*, void*);
};

}  // namespace platform::x11
