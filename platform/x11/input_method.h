// Text input through the X input method (XIM): key presses become UTF-8
// text, with composition handled by the input method when one runs (the
// built-in "@im=none" method otherwise).
//
// When the input method can, the composition in progress is drawn by the
// program at its caret (on-the-spot, XIMPreeditCallbacks): the context
// reports it as kCompositionStart / kComposition / kCompositionEnd events.
// Otherwise the input method shows it in a window of its own.
//
// An input method server that goes away (it crashed, or was stopped) leaves
// its method and contexts dead: they are not used again, and nothing waits
// for that server's answer, so the program still closes.
//
// Opening sets the process's character-type locale from the environment
// (falling back to C.UTF-8 when that is not a UTF-8 locale), as Xlib's
// input methods need it. UI thread only; owned by the Display, and input
// contexts must be destroyed before it. A context's callback runs from
// inside XFilterEvent (Display::DispatchNativeEvents).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/x11/window_event.h"

struct _XDisplay;
struct _XIM;
struct _XIC;
union _XEvent;

namespace platform::x11 {

class InputContext {
 public:
  using CompositionCallback = std::function<void(const WindowEvent&)>;

  ~InputContext();
  InputContext(const InputContext&) = delete;
  InputContext& operator=(const InputContext&) = delete;

  // The window has (or lost) the keyboard focus.
  void SetFocus(bool focused);
  // The extra event mask the context needs selected on its window.
  long FilterEvents() const;
  // The program draws the composition (kComposition events come).
  bool shows_composition() const { return on_the_spot_; }

  // The keysym and UTF-8 text of a KeyPress; `context` may be null (then
  // only the plain keyboard mapping is used).
  static void LookupKey(InputContext* context, _XEvent& key_press, uint32_t* keysym,
                        std::string* text);

 private:
  friend class InputMethod;
  InputContext() = default;
  void Report(EventType type);
  static int OnStart(_XIC*, char* self, char*);
  // Xlib declares these with its XIMProc type, which names an XIM first
  // (the input context is passed there, unused here).
  static void OnDone(_XIM*, char* self, char*);
  static void OnDraw(_XIM*, char* self, char* data);
  static void OnCaret(_XIM*, char* self, char* data);

  _XIC* ic_ = nullptr;
  std::shared_ptr<bool> method_alive_;
  bool on_the_spot_ = false;
  CompositionCallback on_composition_;
  std::wstring text_;  // the composition in progress
  int caret_ = 0;
};

class InputMethod {
 public:
  explicit InputMethod(_XDisplay* display);
  ~InputMethod();
  InputMethod(const InputMethod&) = delete;
  InputMethod& operator=(const InputMethod&) = delete;

  bool available() const { return im_ != nullptr && *alive_; }

  // An input context for a top-level window, or null (then LookupKey falls
  // back to the plain keyboard mapping). `on_composition` receives the
  // composition events.
  std::unique_ptr<InputContext> CreateContext(WindowId window,
                                              InputContext::CompositionCallback on_composition);

 private:
  static void OnDestroyed(_XIM*, char* self, char*);

  _XDisplay* display_;
  _XIM* im_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform::x11
