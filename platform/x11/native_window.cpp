#include "platform/x11/native_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>

#include "platform/x11/drag_geometry.h"
#include "platform/x11/x11_display.h"
#include "platform/x11/x_error_trap.h"

namespace platform::x11 {
namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | FocusChangeMask |
                            EnterWindowMask | LeaveWindowMask | PointerMotionMask |
                            ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask;
constexpr long kNetWmMoveResizeMove = 8;
constexpr long kMotifHintsDecorations = 1L << 1;

uint32_t ToModifiers(unsigned int state) {
  uint32_t modifiers = 0;
  if (state & ShiftMask) modifiers |= kModifierShift;
  if (state & ControlMask) modifiers |= kModifierControl;
  if (state & Mod1Mask) modifiers |= kModifierAlt;
  if (state & Mod4Mask) modifiers |= kModifierSuper;
  if (state & Button1Mask) modifiers |= kModifierLeftButton;
  if (state & Button2Mask) modifiers |= kModifierMiddleButton;
  if (state & Button3Mask) modifiers |= kModifierRightButton;
  return modifiers;
}

MouseButton ToMouseButton(unsigned int button) {
  switch (button) {
    case Button1: return MouseButton::kLeft;
    case Button2: return MouseButton::kMiddle;
    case Button3: return MouseButton::kRight;
    default: return MouseButton::kNone;
  }
}

int ButtonNumber(MouseButton button) {
  switch (button) {
    case MouseButton::kLeft: return 1;
    case MouseButton::kMiddle: return 2;
    case MouseButton::kRight: return 3;
    default: return 0;
  }
}

// Pixel value of an ARGB colour on a visual: premultiplied on 32-bit ones.
unsigned long PixelOf(unsigned long argb, int depth) {
  const unsigned long alpha = depth == 32 ? (argb >> 24) & 0xFF : 0xFF;
  auto channel = [&](int shift) { return (((argb >> shift) & 0xFF) * alpha / 255) << shift; };
  const unsigned long rgb = channel(16) | channel(8) | channel(0);
  return depth == 32 ? (alpha << 24) | rgb : rgb;
}

// Later motion events of the same window already queued replace this one.
void CompressMotion(::Display* dpy, XEvent& event) {
  while (XEventsQueued(dpy, QueuedAlready) > 0) {
    XEvent next;
    XPeekEvent(dpy, &next);
    if (next.type != MotionNotify || next.xmotion.window != event.xmotion.window) break;
    XNextEvent(dpy, &event);
  }
}

}  // namespace

std::unique_ptr<NativeWindow> NativeWindow::Create(Display& display, const WindowOptions& options,
                                                   WindowListener* listener) {
  std::unique_ptr<NativeWindow> window(new NativeWindow(display, listener));
  if (!window->Init(options)) return nullptr;
  return window;
}

NativeWindow::NativeWindow(Display& display, WindowListener* listener)
    : display_(display), listener_(listener) {}

NativeWindow::~NativeWindow() {
  if (!alive_) return;
  const WindowId window = window_;
  ForgetNativeWindow();
  XDestroyWindow(display_.xdisplay(), window);
  XFlush(display_.xdisplay());
}

bool NativeWindow::Init(const WindowOptions& options) {
  ::Display* dpy = display_.xdisplay();
  const int screen = display_.screen();
  const Window root = display_.root();

  XVisualInfo info{};
  if (options.translucent && display_.HasCompositor() &&
      XMatchVisualInfo(dpy, screen, 32, TrueColor, &info)) {
    visual_ = info.visual;
    depth_ = 32;
    translucent_ = true;
    colormap_ = XCreateColormap(dpy, root, info.visual, AllocNone);
  } else {
    visual_ = DefaultVisual(dpy, screen);
    depth_ = DefaultDepth(dpy, screen);
    colormap_ = XCreateColormap(dpy, root, static_cast<Visual*>(visual_), AllocNone);
  }

  XSetWindowAttributes attributes{};
  // A window on a visual other than its parent's needs its own colormap and
  // border pixel, or the server answers BadMatch.
  attributes.colormap = colormap_;
  attributes.border_pixel = 0;
  attributes.background_pixel = PixelOf(options.background, depth_);
  attributes.override_redirect = options.notification ? True : False;
  attributes.bit_gravity = NorthWestGravity;
  attributes.event_mask = kEventMask;
  const unsigned long mask = CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect |
                             CWBitGravity | CWEventMask;

  bounds_ = options.bounds;
  bounds_.width = std::max(bounds_.width, 1);
  bounds_.height = std::max(bounds_.height, 1);
  {
    ScopedXErrorTrap trap(dpy);
    window_ = XCreateWindow(dpy, root, bounds_.x, bounds_.y, bounds_.width, bounds_.height, 0,
                            depth_, InputOutput, static_cast<Visual*>(visual_), mask, &attributes);
    if (trap.Sync() != 0 || window_ == 0) {
      if (window_) XDestroyWindow(dpy, window_);
      XFreeColormap(dpy, colormap_);
      return false;
    }
  }
  alive_ = true;
  display_.RegisterWindow(window_, this);
  // Presenting covers every exposed pixel; the server need not clear first.
  XSetWindowBackgroundPixmap(dpy, window_, None);
  gc_ = XCreateGC(dpy, window_, 0, nullptr);

  Atom protocols[] = {static_cast<Atom>(display_.GetAtom("WM_DELETE_WINDOW")),
                      static_cast<Atom>(display_.GetAtom("WM_TAKE_FOCUS")),
                      static_cast<Atom>(display_.GetAtom("_NET_WM_PING"))};
  XSetWMProtocols(dpy, window_, protocols, 3);

  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(dpy, window_, &hints);

  std::string class_name = options.class_name.empty() ? "FleetSync" : options.class_name;
  XClassHint class_hint{class_name.data(), class_name.data()};
  XSetClassHint(dpy, window_, &class_hint);

  const long pid = getpid();
  XChangeProperty(dpy, window_, display_.GetAtom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);

  if (options.borderless) {
    const long motif[5] = {kMotifHintsDecorations, 0, 0, 0, 0};
    const Atom motif_atom = display_.GetAtom("_MOTIF_WM_HINTS");
    XChangeProperty(dpy, window_, motif_atom, motif_atom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
  }
  const Atom type = display_.GetAtom(options.notification ? "_NET_WM_WINDOW_TYPE_NOTIFICATION"
                                                          : "_NET_WM_WINDOW_TYPE_NORMAL");
  XChangeProperty(dpy, window_, display_.GetAtom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);

  SetTitle(options.title);
  SetSizeLimits(options.min_size, options.max_size);
  if (options.transient_for) SetTransientFor(options.transient_for, options.modal);

  ic_ = display_.input_method().CreateContext(window_, [this](const WindowEvent& composition) {
    if (enabled_) Deliver(composition);
  });
  if (ic_) XSelectInput(dpy, window_, kEventMask | ic_->FilterEvents());
  return true;
}

void NativeWindow::ForgetNativeWindow() {
  ::Display* dpy = display_.xdisplay();
  display_.UnregisterWindow(window_);
  ic_.reset();
  if (gc_) XFreeGC(dpy, gc_);
  gc_ = nullptr;
  if (colormap_) XFreeColormap(dpy, colormap_);
  colormap_ = 0;
  alive_ = mapped_ = focused_ = grabbed_ = false;
  drag_.reset();
}

void NativeWindow::SetTitle(const std::string& utf8_title) {
  if (!alive_) return;
  ::Display* dpy = display_.xdisplay();
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8_title.data());
  const int length = static_cast<int>(utf8_title.size());
  const Atom utf8 = display_.GetAtom("UTF8_STRING");
  XChangeProperty(dpy, window_, display_.GetAtom("_NET_WM_NAME"), utf8, 8, PropModeReplace, bytes,
                  length);
  XChangeProperty(dpy, window_, XA_WM_NAME, utf8, 8, PropModeReplace, bytes, length);
}

void NativeWindow::SetIcon(const std::vector<IconPicture>& pictures) {
  if (!alive_) return;
  // Format-32 properties travel as longs: width, height, then the pixels.
  std::vector<long> data;
  for (const IconPicture& picture : pictures) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.argb.size() != static_cast<size_t>(picture.width) * picture.height) {
      continue;
    }
    data.push_back(picture.width);
    data.push_back(picture.height);
    data.insert(data.end(), picture.argb.begin(), picture.argb.end());
  }
  const Atom property = display_.GetAtom("_NET_WM_ICON");
  if (data.empty()) {
    XDeleteProperty(display_.xdisplay(), window_, property);
    return;
  }
  XChangeProperty(display_.xdisplay(), window_, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
}

void NativeWindow::SetSizeLimits(Size min_size, Size max_size) {
  min_size_ = min_size;
  max_size_ = max_size;
  if (!alive_) return;
  XSizeHints hints{};
  hints.flags = PPosition | PSize;
  hints.x = bounds_.x;
  hints.y = bounds_.y;
  hints.width = bounds_.width;
  hints.height = bounds_.height;
  if (min_size.width > 0 || min_size.height > 0) {
    hints.flags |= PMinSize;
    hints.min_width = std::max(min_size.width, 1);
    hints.min_height = std::max(min_size.height, 1);
  }
  if (max_size.width > 0 || max_size.height > 0) {
    hints.flags |= PMaxSize;
    hints.max_width = max_size.width > 0 ? max_size.width : 32767;
    hints.max_height = max_size.height > 0 ? max_size.height : 32767;
  }
  XSetWMNormalHints(display_.xdisplay(), window_, &hints);
}

void NativeWindow::SetTransientFor(WindowId owner, bool modal) {
  if (!alive_) return;
  ::Display* dpy = display_.xdisplay();
  if (owner) XSetTransientForHint(dpy, window_, owner);
  else XDeleteProperty(dpy, window_, XA_WM_TRANSIENT_FOR);

  const bool want_modal = modal && owner;
  const Atom modal_atom = display_.GetAtom("_NET_WM_STATE_MODAL");
  if (mapped_) {
    // A mapped window's state belongs to the window manager: ask it.
    if (want_modal != modal_) SendNetWmState(want_modal, modal_atom);
  } else if (want_modal) {
    XChangeProperty(dpy, window_, display_.GetAtom("_NET_WM_STATE"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&modal_atom), 1);
  } else {
    XDeleteProperty(dpy, window_, display_.GetAtom("_NET_WM_STATE"));
  }
  modal_ = want_modal;
}

void NativeWindow::SendNetWmState(bool add, unsigned long state) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window_;
  event.xclient.message_type = display_.GetAtom("_NET_WM_STATE");
  event.xclient.format = 32;
  event.xclient.data.l[0] = add ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
  event.xclient.data.l[1] = static_cast<long>(state);
  event.xclient.data.l[3] = 1;  // from a normal application
  XSendEvent(display_.xdisplay(), display_.root(), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void NativeWindow::Show(bool take_focus) {
  if (!alive_) return;
  ::Display* dpy = display_.xdisplay();
  if (!take_focus) {
    // A user time of 0 asks the window manager not to activate the window.
    const long zero = 0;
    XChangeProperty(dpy, window_, display_.GetAtom("_NET_WM_USER_TIME"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&zero), 1);
  } else {
    XDeleteProperty(dpy, window_, display_.GetAtom("_NET_WM_USER_TIME"));
  }
  focus_on_map_ = take_focus;
  XMapRaised(dpy, window_);
  if (take_focus && mapped_) Focus();
}

void NativeWindow::Hide() {
  if (!alive_) return;
  focus_on_map_ = false;
  XWithdrawWindow(display_.xdisplay(), window_, display_.screen());
}

void NativeWindow::Iconify() {
  if (alive_) XIconifyWindow(display_.xdisplay(), window_, display_.screen());
}

void NativeWindow::Raise() {
  if (alive_) XRaiseWindow(display_.xdisplay(), window_);
}

void NativeWindow::Focus() {
  if (!alive_) return;
  if (!mapped_) {
    focus_on_map_ = true;  // an unviewable window cannot take the focus
    return;
  }
  XSetInputFocus(display_.xdisplay(), window_, RevertToParent, CurrentTime);
}

void NativeWindow::Move(int x, int y) {
  if (alive_) XMoveWindow(display_.xdisplay(), window_, x, y);
}

void NativeWindow::Resize(int width, int height) {
  if (alive_)
    XResizeWindow(display_.xdisplay(), window_, std::max(width, 1), std::max(height, 1));
}

void NativeWindow::SetBounds(const Rect& bounds) {
  if (alive_)
    XMoveResizeWindow(display_.xdisplay(), window_, bounds.x, bounds.y,
                      std::max(bounds.width, 1), std::max(bounds.height, 1));
}

void NativeWindow::Destroy() {
  if (alive_) XDestroyWindow(display_.xdisplay(), window_);
}

void NativeWindow::Present(cairo_surface_t* surface, const Rect& dirty) {
  if (!alive_ || !surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
    return;
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int x0 = std::max(dirty.x, 0), y0 = std::max(dirty.y, 0);
  const int x1 = std::min(dirty.x + dirty.width, width);
  const int y1 = std::min(dirty.y + dirty.height, height);
  if (!data || x1 <= x0 || y1 <= y0) return;

  ::Display* dpy = display_.xdisplay();
  XImage* image = XCreateImage(dpy, static_cast<Visual*>(visual_), depth_, ZPixmap, 0,
                               reinterpret_cast<char*>(data), width, height, 32, stride);
  if (!image) return;
  // Cairo's pixels are native-endian 32-bit words; Xlib converts if the
  // server's order differs.
  image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  XPutImage(dpy, window_, gc_, image, x0, y0, x0, y0, x1 - x0, y1 - y0);
  image->data = nullptr;  // owned by Cairo
  XDestroyImage(image);
  XFlush(dpy);
}

void NativeWindow::SetCursor(PointerShape shape) {
  if (!alive_) return;
  cursor_ = display_.GetCursor(shape);
  XDefineCursor(display_.xdisplay(), window_, cursor_);
}

bool NativeWindow::GrabPointer() {
  if (!alive_ || !mapped_) return false;
  const unsigned int mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask;
  grabbed_ = XGrabPointer(display_.xdisplay(), window_, False, mask, GrabModeAsync, GrabModeAsync,
                          None, cursor_, CurrentTime) == GrabSuccess;
  return grabbed_;
}

void NativeWindow::UngrabPointer() {
  if (!alive_) return;
  if (grabbed_) XUngrabPointer(display_.xdisplay(), CurrentTime);
  grabbed_ = false;
}

void NativeWindow::BeginMoveDrag(int root_x, int root_y, MouseButton button) {
  BeginDrag(std::nullopt, kNetWmMoveResizeMove, root_x, root_y, button);
}

void NativeWindow::BeginResizeDrag(ResizeEdge edge, int root_x, int root_y, MouseButton button) {
  BeginDrag(edge, static_cast<long>(edge), root_x, root_y, button);
}

void NativeWindow::BeginDrag(std::optional<ResizeEdge> edge, int direction, int root_x,
                             int root_y, MouseButton button) {
  if (!alive_ || !mapped_) return;
  ::Display* dpy = display_.xdisplay();
  if (display_.WindowManagerSupports("_NET_WM_MOVERESIZE")) {
    // The window manager grabs the pointer itself, which fails while we hold it.
    XUngrabPointer(dpy, CurrentTime);
    grabbed_ = false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = display_.GetAtom("_NET_WM_MOVERESIZE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = root_x;
    event.xclient.data.l[1] = root_y;
    event.xclient.data.l[2] = direction;
    event.xclient.data.l[3] = ButtonNumber(button);
    event.xclient.data.l[4] = 1;  // from a normal application
    XSendEvent(dpy, display_.root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(dpy);
    return;
  }
  if (!GrabPointer()) return;
  drag_ = Drag{edge, root_x, root_y, bounds_};
}

void NativeWindow::EndDrag() {
  drag_.reset();
  UngrabPointer();
}

bool NativeWindow::HandleDragEvent(_XEvent& event) {
  switch (event.type) {
    case MotionNotify: {
      CompressMotion(display_.xdisplay(), event);
      const Rect next = DraggedBounds(drag_->start_bounds, drag_->edge,
                                      event.xmotion.x_root - drag_->start_root_x,
                                      event.xmotion.y_root - drag_->start_root_y, min_size_,
                                      max_size_);
      SetBounds(next);
      return true;
    }
    case ButtonRelease:
      EndDrag();
      return true;
    case ButtonPress:
    case EnterNotify:
    case LeaveNotify:
      return true;
    default:
      return false;
  }
}

void NativeWindow::Deliver(const WindowEvent& event) {
  // The listener may destroy this window: nothing may follow the call.
  if (listener_) listener_->OnWindowEvent(event);
}

void NativeWindow::HandleXEvent(_XEvent& event) {
  if (!alive_) return;
  if (drag_ && HandleDragEvent(event)) return;
  ::Display* dpy = display_.xdisplay();
  WindowEvent out;
  switch (event.type) {
    case Expose:
      out.type = EventType::kExpose;
      out.rect = Rect{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height};
      break;
    case ConfigureNotify: {
      const XConfigureEvent& configure = event.xconfigure;
      int x = configure.x, y = configure.y;
      if (!configure.send_event) {
        // Relative to the parent, which may be a window manager's frame.
        Window child = None;
        XTranslateCoordinates(dpy, window_, display_.root(), 0, 0, &x, &y, &child);
      }
      bounds_ = Rect{x, y, configure.width, configure.height};
      out.type = EventType::kConfigure;
      out.rect = bounds_;
      break;
    }
    case MapNotify:
      mapped_ = true;
      if (focus_on_map_) {
        focus_on_map_ = false;
        XSetInputFocus(dpy, window_, RevertToParent, CurrentTime);
      }
      out.type = EventType::kMap;
      break;
    case UnmapNotify:
      mapped_ = false;
      out.type = EventType::kUnmap;
      break;
    case FocusIn:
    case FocusOut: {
      const XFocusChangeEvent& focus = event.xfocus;
      // Keyboard grabs (window manager shortcuts) and pointer-root focus are
      // not focus changes of the window.
      if (focus.mode == NotifyGrab || focus.mode == NotifyUngrab || focus.detail == NotifyPointer)
        return;
      focused_ = event.type == FocusIn;
      if (ic_) ic_->SetFocus(focused_);
      out.type = focused_ ? EventType::kFocusIn : EventType::kFocusOut;
      break;
    }
    case EnterNotify:
    case LeaveNotify: {
      const XCrossingEvent& crossing = event.xcrossing;
      if (crossing.mode == NotifyGrab || !enabled_) return;
      out.type = event.type == EnterNotify ? EventType::kEnter : EventType::kLeave;
      out.x = crossing.x;
      out.y = crossing.y;
      out.root_x = crossing.x_root;
      out.root_y = crossing.y_root;
      out.modifiers = ToModifiers(crossing.state);
      break;
    }
    case MotionNotify:
      if (!enabled_) return;
      CompressMotion(dpy, event);
      out.type = EventType::kMotion;
      out.x = event.xmotion.x;
      out.y = event.xmotion.y;
      out.root_x = event.xmotion.x_root;
      out.root_y = event.xmotion.y_root;
      out.modifiers = ToModifiers(event.xmotion.state);
      break;
    case ButtonPress:
    case ButtonRelease: {
      if (!enabled_) return;
      const XButtonEvent& button = event.xbutton;
      out.x = button.x;
      out.y = button.y;
      out.root_x = button.x_root;
      out.root_y = button.y_root;
      out.modifiers = ToModifiers(button.state);
      if (button.button == Button4 || button.button == Button5) {
        if (event.type == ButtonRelease) return;  // one notch is one press
        out.type = EventType::kWheel;
        out.wheel_delta = button.button == Button4 ? 120 : -120;
        break;
      }
      out.button = ToMouseButton(button.button);
      if (out.button == MouseButton::kNone) return;
      if (event.type == ButtonPress) {
        out.type = EventType::kButtonPress;
        // Timed by the server's stamps of the presses, not by when they are
        // handled: a busy UI thread must not turn two slow clicks into one
        // double click.
        out.double_click = display_.double_click().OnPress(
            window_, out.button, out.x, out.y, std::chrono::milliseconds(button.time));
      } else {
        out.type = EventType::kButtonRelease;
      }
      break;
    }
    case KeyPress:
      if (!enabled_) return;
      display_.double_click().Reset();
      out.type = EventType::kKeyPress;
      out.modifiers = ToModifiers(event.xkey.state);
      InputContext::LookupKey(ic_.get(), event, &out.keysym, &out.text);
      break;
    case KeyRelease: {
      if (!enabled_) return;
      KeySym sym = NoSymbol;
      XLookupString(&event.xkey, nullptr, 0, &sym, nullptr);
      out.type = EventType::kKeyRelease;
      out.modifiers = ToModifiers(event.xkey.state);
      out.keysym = static_cast<uint32_t>(sym);
      break;
    }
    case ClientMessage:
      HandleClientMessage(event);
      return;
    case DestroyNotify:
      ForgetNativeWindow();
      out.type = EventType::kDestroyed;
      break;
    default:
      return;
  }
  Deliver(out);
}

void NativeWindow::HandleClientMessage(_XEvent& event) {
  const XClientMessageEvent& message = event.xclient;
  if (message.message_type != display_.GetAtom("WM_PROTOCOLS") || message.format != 32) return;
  const Atom protocol = static_cast<Atom>(message.data.l[0]);
  ::Display* dpy = display_.xdisplay();
  if (protocol == display_.GetAtom("WM_DELETE_WINDOW")) {
    if (!enabled_) return;  // the owner of a modal window stays open
    WindowEvent out;
    out.type = EventType::kCloseRequest;
    Deliver(out);
  } else if (protocol == display_.GetAtom("WM_TAKE_FOCUS")) {
    if (mapped_) XSetInputFocus(dpy, window_, RevertToParent, static_cast<Time>(message.data.l[1]));
  } else if (protocol == display_.GetAtom("_NET_WM_PING")) {
    XEvent reply = event;
    reply.xclient.window = display_.root();
    XSendEvent(dpy, display_.root(), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &reply);
  }
}

}  // namespace platform::x11
