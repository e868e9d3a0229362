#include "platform/x11/x11_display.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include "platform/x11/monitors.h"
#include "platform/x11/native_window.h"
#include "platform/x11/x_error_trap.h"

namespace platform::x11 {

std::unique_ptr<Display> Display::Open(const char* name) {
  InstallXErrorHandler();
  _XDisplay* display = XOpenDisplay(name);
  if (!display) return nullptr;
  return std::unique_ptr<Display>(new Display(display));
}

Display::Display(_XDisplay* display) : display_(display), screen_(DefaultScreen(display)) {
  // Auto-repeat then sends presses only, as on the original platform.
  XkbSetDetectableAutoRepeat(display_, True, nullptr);
  input_method_ = std::make_unique<InputMethod>(display_);

  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  utility_window_ = XCreateWindow(display_, root(), -10, -10, 1, 1, 0, 0, InputOnly,
                                  CopyFromParent, CWEventMask, &attributes);
  clipboard_ = std::make_unique<Clipboard>(*this, utility_window_);
}

Display::~Display() {
  clipboard_.reset();
  for (auto& [shape, cursor] : cursors_) XFreeCursor(display_, cursor);
  XDestroyWindow(display_, utility_window_);
  input_method_.reset();
  XCloseDisplay(display_);
}

int Display::GetFd() const { return ConnectionNumber(display_); }

WindowId Display::root() const { return RootWindow(display_, screen_); }

bool Display::DispatchNativeEvents() {
  bool any = false;
  while (XPending(display_)) {
    XEvent event;
    XNextEvent(display_, &event);
    any = true;
    NoteEventTime(event);
    if (XFilterEvent(&event, None)) continue;  // consumed by the input method
    HandleEvent(event);
  }
  XFlush(display_);
  return any;
}

void Display::HandleEvent(_XEvent& event) {
  if (event.type == MappingNotify) {
    // xdotool types characters the keymap lacks by remapping a spare keycode.
    if (event.xmapping.request == MappingKeyboard || event.xmapping.request == MappingModifier)
      XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  if (event.xany.window == utility_window_) {
    clipboard_->HandleEvent(event);
    return;
  }
  // DestroyNotify is reported on the destroyed window itself (we select
  // StructureNotify on our windows, never SubstructureNotify).
  const WindowId id = event.type == DestroyNotify ? event.xdestroywindow.window : event.xany.window;
  auto found = windows_.find(id);
  if (found == windows_.end()) return;  // not ours, or already gone
  found->second->HandleXEvent(event);
}

void Display::NoteEventTime(const _XEvent& event) {
  switch (event.type) {
    case KeyPress:
    case KeyRelease:
      last_event_time_ = event.xkey.time;
      break;
    case ButtonPress:
    case ButtonRelease:
      last_event_time_ = event.xbutton.time;
      break;
    case MotionNotify:
      last_event_time_ = event.xmotion.time;
      break;
    case EnterNotify:
    case LeaveNotify:
      last_event_time_ = event.xcrossing.time;
      break;
    case PropertyNotify:
      last_event_time_ = event.xproperty.time;
      break;
    default:
      break;
  }
}

void Display::RegisterWindow(WindowId id, NativeWindow* window) { windows_[id] = window; }

void Display::UnregisterWindow(WindowId id) { windows_.erase(id); }

unsigned long Display::GetAtom(const std::string& name) {
  auto found = atoms_.find(name);
  if (found != atoms_.end()) return found->second;
  const Atom atom = XInternAtom(display_, name.c_str(), False);
  atoms_.emplace(name, atom);
  return atom;
}

bool Display::HasCompositor() {
  const std::string selection = "_NET_WM_CM_S" + std::to_string(screen_);
  return XGetSelectionOwner(display_, GetAtom(selection)) != None;
}

bool Display::WindowManagerSupports(const std::string& atom_name) {
  const Atom wanted = GetAtom(atom_name);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  bool supported = false;
  if (XGetWindowProperty(display_, root(), GetAtom("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM,
                         &type, &format, &count, &remaining, &data) == Success &&
      data && format == 32) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);  // format 32 arrives as longs
    for (unsigned long i = 0; i < count && !supported; ++i) supported = atoms[i] == wanted;
  }
  if (data) XFree(data);
  return supported;
}

Rect Display::GetWorkArea() {
  const Size screen = GetScreenSize();
  Rect area{0, 0, screen.width, screen.height};

  auto read_cardinals = [&](const char* property, unsigned long wanted, long* out,
                            unsigned long capacity) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    bool ok = XGetWindowProperty(display_, root(), GetAtom(property), 0, 1024, False,
                                 XA_CARDINAL, &type, &format, &count, &remaining,
                                 &data) == Success &&
              data && format == 32 && count >= wanted;
    if (ok) {
      const auto* values = reinterpret_cast<const long*>(data);
      for (unsigned long i = 0; i < count && i < capacity; ++i) out[i] = values[i];
    }
    if (data) XFree(data);
    return ok ? count : 0ul;
  };

  long desktop = 0;
  if (!read_cardinals("_NET_CURRENT_DESKTOP", 1, &desktop, 1)) desktop = 0;
  long values[1024] = {};
  const unsigned long count = read_cardinals("_NET_WORKAREA", 4, values, 1024);
  if (count >= 4) {
    const unsigned long usable = count < 1024 ? count : 1024;
    const unsigned long index =
        desktop >= 0 && 4ul * (desktop + 1) <= usable ? 4ul * desktop : 0;
    Rect candidate{static_cast<int>(values[index]), static_cast<int>(values[index + 1]),
                   static_cast<int>(values[index + 2]), static_cast<int>(values[index + 3])};
    if (!candidate.empty()) area = candidate;
  }
  return area;
}

Rect Display::GetWorkArea(const Rect& window) {
  return MonitorWorkArea(ReadMonitors(display_), GetWorkArea(), window);
}

int Display::GetDpi() const { return ReadScreenDpi(display_, screen_); }

Size Display::GetScreenSize() const {
  return Size{DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
}

unsigned long Display::GetCursor(PointerShape shape) {
  const int key = static_cast<int>(shape);
  auto found = cursors_.find(key);
  if (found != cursors_.end()) return found->second;
  unsigned int glyph = XC_left_ptr;
  switch (shape) {
    case PointerShape::kArrow: glyph = XC_left_ptr; break;
    case PointerShape::kHand: glyph = XC_hand2; break;
    case PointerShape::kIBeam: glyph = XC_xterm; break;
    case PointerShape::kSizeWE: glyph = XC_sb_h_double_arrow; break;
    case PointerShape::kSizeNS: glyph = XC_sb_v_double_arrow; break;
    case PointerShape::kSizeNWSE: glyph = XC_bottom_right_corner; break;
    case PointerShape::kSizeNESW: glyph = XC_bottom_left_corner; break;
    case PointerShape::kSizeAll: glyph = XC_fleur; break;
  }
  const Cursor cursor = XCreateFontCursor(display_, glyph);
  cursors_.emplace(key, cursor);
  return cursor;
}

void Display::Flush() { XFlush(display_); }

}  // namespace platform::x11
