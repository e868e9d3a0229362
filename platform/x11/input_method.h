// Text input through the X input method (XIM): key presses become UTF-8
// text, with composition handled by the input method when one runs (the
// built-in "@im=none" method otherwise).
//
// Opening sets the process's character-type locale from the environment
// (falling back to C.UTF-8 when that is not a UTF-8 locale), as Xlib's
// input methods need it. UI thread only; owned by the Display, and input
// contexts must be destroyed before it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/x11/window_event.h"

struct _XDisplay;
struct _XIM;
struct _XIC;
union _XEvent;

namespace platform::x11 {

class InputMethod {
 public:
  explicit InputMethod(_XDisplay* display);
  ~InputMethod();
  InputMethod(const InputMethod&) = delete;
  InputMethod& operator=(const InputMethod&) = delete;

  bool available() const { return im_ != nullptr; }

  // An input context for a top-level window, or null (then LookupKey falls
  // back to the plain keyboard mapping). The caller destroys it.
  _XIC* CreateContext(WindowId window);
  void DestroyContext(_XIC* context);
  // The extra event mask the context needs selected on its window.
  long FilterEvents(_XIC* context) const;

  // The keysym and UTF-8 text of a KeyPress.
  static void LookupKey(_XIC* context, _XEvent& key_press, uint32_t* keysym, std::string* text);

 private:
  _XDisplay* display_;
  _XIM* im_ = nullptr;
};

}  // namespace platform::x11
