// The CLIPBOARD selection: copy (own it and answer requests) and paste
// (ask the owner and receive the text later).
//
// Contract: UI thread only; owned by the Display, which routes the selection
// events of its utility window here. Text is UTF-8 (UTF8_STRING; STRING and
// TEXT requests get the same bytes). Transfers are single-property: an owner
// that answers incrementally (INCR) yields a failed paste, and texts larger
// than one request are refused. Under Xvfb there is no clipboard manager, so
// the contents go when the owning connection closes.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/x11/window_event.h"

union _XEvent;

namespace platform::x11 {

class Display;

class Clipboard {
 public:
  // nullopt: no owner, or the owner could not give text.
  using PasteCallback = std::function<void(std::optional<std::string> text)>;

  Clipboard(Display& display, WindowId utility_window);
  Clipboard(const Clipboard&) = delete;
  Clipboard& operator=(const Clipboard&) = delete;

  // Takes ownership of CLIPBOARD with `text`. False if the server refused.
  bool SetText(std::string text);
  bool owns() const { return owned_; }

  // Asks for the clipboard text. While this connection owns the clipboard the
  // callback runs at once; otherwise it runs from a later
  // DispatchNativeEvents. A new request cancels an unanswered one (its
  // callback receives nullopt).
  void RequestText(PasteCallback callback);

  // Selection events of the utility window. True if consumed.
  bool HandleEvent(_XEvent& event);

 private:
  void AnswerRequest(_XEvent& event);
  void ReceiveText(_XEvent& event);

  Display& display_;
  WindowId window_;
  bool owned_ = false;
  std::string text_;
  PasteCallback pending_;
};

}  // namespace platform::x11
