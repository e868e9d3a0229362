#include "platform/x11/clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <utility>
#include <vector>

#include "platform/x11/x11_display.h"

namespace platform::x11 {

Clipboard::Clipboard(Display& display, WindowId utility_window)
    : display_(display), window_(utility_window) {}

bool Clipboard::SetText(std::string text) {
  ::Display* dpy = display_.xdisplay();
  const Atom clipboard = display_.GetAtom("CLIPBOARD");
  XSetSelectionOwner(dpy, clipboard, window_, display_.last_event_time());
  owned_ = XGetSelectionOwner(dpy, clipboard) == window_;
  if (owned_) text_ = std::move(text);
  return owned_;
}

void Clipboard::RequestText(PasteCallback callback) {
  if (pending_) std::exchange(pending_, nullptr)(std::nullopt);
  if (owned_) {
    callback(text_);
    return;
  }
  ::Display* dpy = display_.xdisplay();
  const Atom clipboard = display_.GetAtom("CLIPBOARD");
  if (XGetSelectionOwner(dpy, clipboard) == None) {
    callback(std::nullopt);
    return;
  }
  pending_ = std::move(callback);
  XConvertSelection(dpy, clipboard, display_.GetAtom("UTF8_STRING"),
                    display_.GetAtom("FLEETSYNC_CLIPBOARD"), window_, display_.last_event_time());
  XFlush(dpy);
}

bool Clipboard::HandleEvent(_XEvent& event) {
  switch (event.type) {
    case SelectionRequest:
      AnswerRequest(event);
      return true;
    case SelectionNotify:
      ReceiveText(event);
      return true;
    case SelectionClear:
      if (event.xselectionclear.selection == display_.GetAtom("CLIPBOARD")) {
        owned_ = false;
        text_.clear();
      }
      return true;
    default:
      return false;
  }
}

void Clipboard::AnswerRequest(_XEvent& event) {
  const XSelectionRequestEvent& request = event.xselectionrequest;
  ::Display* dpy = display_.xdisplay();
  const Atom utf8 = display_.GetAtom("UTF8_STRING");
  const Atom targets = display_.GetAtom("TARGETS");
  // Old clients name no property: answer in the target's name.
  const Atom property = request.property != None ? request.property : request.target;

  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = dpy;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = None;  // refused unless set below

  const long max_bytes = XMaxRequestSize(dpy) * 4 - 64;
  if (owned_ && request.selection == display_.GetAtom("CLIPBOARD")) {
    if (request.target == targets) {
      const Atom offered[] = {targets, utf8, XA_STRING, display_.GetAtom("TEXT")};
      XChangeProperty(dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 4);
      reply.property = property;
    } else if ((request.target == utf8 || request.target == XA_STRING ||
                request.target == display_.GetAtom("TEXT")) &&
               static_cast<long>(text_.size()) <= max_bytes) {
      XChangeProperty(dpy, request.requestor, property, utf8, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text_.data()),
                      static_cast<int>(text_.size()));
      reply.property = property;
    }
  }
  XSendEvent(dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  XFlush(dpy);
}

void Clipboard::ReceiveText(_XEvent& event) {
  const XSelectionEvent& notify = event.xselection;
  if (notify.selection != display_.GetAtom("CLIPBOARD") || !pending_) return;
  PasteCallback callback = std::exchange(pending_, nullptr);
  if (notify.property == None) {
    callback(std::nullopt);
    return;
  }
  ::Display* dpy = display_.xdisplay();
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::optional<std::string> text;
  if (XGetWindowProperty(dpy, window_, notify.property, 0, XMaxRequestSize(dpy), True,
                         AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
      format == 8 && remaining == 0 && type != display_.GetAtom("INCR")) {
    text.emplace(reinterpret_cast<const char*>(data), count);
  }
  if (data) XFree(data);
  callback(std::move(text));
}

}  // namespace platform::x11
