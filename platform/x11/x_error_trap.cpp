#include "platform/x11/x_error_trap.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstdio>

namespace platform::x11 {

int HandleXError(_XDisplay* display, void* event);

namespace {

// The innermost trap of this (the UI) thread.
thread_local ScopedXErrorTrap* current_trap = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  return HandleXError(display, error);
}

}  // namespace

int HandleXError(_XDisplay* display, void* event) {
  auto* error = static_cast<XErrorEvent*>(event);
  if (current_trap && current_trap->display_ == display) {
    if (current_trap->error_code_ == 0) current_trap->error_code_ = error->error_code;
    return 0;
  }
  if (error->error_code == BadWindow || error->error_code == BadDrawable) return 0;
  // A focus request can reach the server before the window manager has
  // mapped the window's frame (or after it was unmapped again).
  if (error->error_code == BadMatch && error->request_code == X_SetInputFocus) return 0;
  char text[256] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "X error: %s (request %d.%d, resource 0x%lx)\n", text, error->request_code,
               error->minor_code, error->resourceid);
  return 0;
}

void InstallXErrorHandler() {
  static const bool installed = [] {
    XSetErrorHandler(OnXError);
    return true;
  }();
  (void)installed;
}

ScopedXErrorTrap::ScopedXErrorTrap(_XDisplay* display)
    : display_(display), previous_(current_trap) {
  InstallXErrorHandler();
  XSync(display_, False);  // errors of earlier requests are not ours
  current_trap = this;
}

ScopedXErrorTrap::~ScopedXErrorTrap() {
  XSync(display_, False);
  current_trap = previous_;
}

int ScopedXErrorTrap::Sync() {
  XSync(display_, False);
  return error_code_;
}

}  // namespace platform::x11
