#include "ui/host/x11_window_host.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <optional>
#include <vector>

#include "base/message_loop.h"
#include "base/text.h"
#include "ui/animation/ui_timers.h"
#include "ui/controls/control.h"
#include "ui/core/key_codes.h"
#include "ui/host/tooltip_window.h"
#include "ui/host/window_shape.h"

namespace ui {
namespace {

namespace x11 = platform::x11;
using NativeEvent = x11::EventType;
using x11::PointerShape;

PointerShape ToPointerShape(CursorType cursor) {
  switch (cursor) {
    case CursorType::kArrow: return PointerShape::kArrow;
    case CursorType::kHand: return PointerShape::kHand;
    case CursorType::kIBeam: return PointerShape::kIBeam;
    case CursorType::kSizeWE: return PointerShape::kSizeWE;
    case CursorType::kSizeNS: return PointerShape::kSizeNS;
    case CursorType::kSizeNWSE: return PointerShape::kSizeNWSE;
    case CursorType::kSizeNESW: return PointerShape::kSizeNESW;
    case CursorType::kSizeAll: return PointerShape::kSizeAll;
  }
  return PointerShape::kArrow;
}

x11::Rect ToX11(const ScreenRect& r) { return {r.x, r.y, r.width, r.height}; }
ScreenRect FromX11(const x11::Rect& r) { return {r.x, r.y, r.width, r.height}; }

MouseButton FromX11(x11::MouseButton button) {
  switch (button) {
    case x11::MouseButton::kNone: return MouseButton::kNone;
    case x11::MouseButton::kLeft: return MouseButton::kLeft;
    case x11::MouseButton::kMiddle: return MouseButton::kMiddle;
    case x11::MouseButton::kRight: return MouseButton::kRight;
  }
  return MouseButton::kNone;
}

x11::ResizeEdge ToX11(ResizeEdge edge) {
  switch (edge) {
    case ResizeEdge::kTopLeft: return x11::ResizeEdge::kTopLeft;
    case ResizeEdge::kTop: return x11::ResizeEdge::kTop;
    case ResizeEdge::kTopRight: return x11::ResizeEdge::kTopRight;
    case ResizeEdge::kRight: return x11::ResizeEdge::kRight;
    case ResizeEdge::kBottomRight: return x11::ResizeEdge::kBottomRight;
    case ResizeEdge::kBottom: return x11::ResizeEdge::kBottom;
    case ResizeEdge::kBottomLeft: return x11::ResizeEdge::kBottomLeft;
    case ResizeEdge::kLeft: return x11::ResizeEdge::kLeft;
  }
  return x11::ResizeEdge::kBottomRight;
}

x11::WindowOptions ToX11(const WindowOptions& options) {
  x11::WindowOptions out;
  out.title = Utf16ToUtf8(options.title);
  out.class_name = Utf16ToUtf8(options.class_name);
  out.bounds = ToX11(options.bounds);
  out.borderless = options.borderless;
  out.translucent = options.translucent;
  out.notification = options.notification;
  if (const x11::NativeWindow* owner = NativeWindowOf(options.owner)) out.transient_for = owner->id();
  out.modal = options.modal;
  out.min_size = {options.min_size.cx, options.min_size.cy};
  out.max_size = {options.max_size.cx, options.max_size.cy};
  out.background = options.background;
  return out;
}

// The input a native event carries, in the framework's terms; nullopt for
// events that are the host's own business.
std::optional<WindowEvent> Translate(const x11::WindowEvent& event) {
  WindowEvent out;
  switch (event.type) {
    case NativeEvent::kMap: out.type = WindowEventType::kMap; break;
    case NativeEvent::kFocusIn: out.type = WindowEventType::kFocusIn; break;
    case NativeEvent::kFocusOut: out.type = WindowEventType::kFocusOut; break;
    case NativeEvent::kEnter: out.type = WindowEventType::kEnter; break;
    case NativeEvent::kLeave: out.type = WindowEventType::kLeave; break;
    case NativeEvent::kMotion: out.type = WindowEventType::kMotion; break;
    case NativeEvent::kButtonPress: out.type = WindowEventType::kButtonPress; break;
    case NativeEvent::kButtonRelease: out.type = WindowEventType::kButtonRelease; break;
    case NativeEvent::kWheel: out.type = WindowEventType::kWheel; break;
    case NativeEvent::kKeyPress: out.type = WindowEventType::kKeyPress; break;
    case NativeEvent::kKeyRelease: out.type = WindowEventType::kKeyRelease; break;
    case NativeEvent::kCompositionStart: out.type = WindowEventType::kCompositionStart; break;
    case NativeEvent::kComposition: out.type = WindowEventType::kComposition; break;
    case NativeEvent::kCompositionEnd: out.type = WindowEventType::kCompositionEnd; break;
    default: return std::nullopt;
  }
  out.point = {event.x, event.y};
  out.screen_point = {event.root_x, event.root_y};
  if (event.modifiers & x11::kModifierShift) out.modifiers |= ui::kModifierShift;
  if (event.modifiers & x11::kModifierControl) out.modifiers |= ui::kModifierControl;
  if (event.modifiers & x11::kModifierAlt) out.modifiers |= ui::kModifierAlt;
  out.button = FromX11(event.button);
  out.double_click = event.double_click;
  out.wheel_delta = event.wheel_delta;
  out.key_code = KeysymToKeyCode(event.keysym);
  out.text = event.text;
  out.composition_caret = event.composition_caret;
  return out;
}

// Runs `task` on a later turn of the current loop; false without a loop.
bool PostToCurrentLoop(std::function<void()> task) {
  vbase::MessageLoop* loop = vbase::MessageLoop::current();
  if (!loop) return false;
  loop->PostTask(std::move(task));
  return true;
}

platform::x11::Rect Inflate(const platform::x11::Rect& r, const UiRect& padding) {
  return {r.x - padding.left, r.y - padding.top, r.width + padding.left + padding.right,
          r.height + padding.top + padding.bottom};
}

platform::x11::Rect Deflate(const platform::x11::Rect& r, const UiRect& padding) {
  return {r.x + padding.left, r.y + padding.top, r.width - padding.left - padding.right,
          r.height - padding.top - padding.bottom};
}

// A size limit of the frame as one of the window; 0 stays "no limit".
platform::x11::Size InflateLimit(platform::x11::Size limit, const UiRect& padding) {
  if (limit.width > 0) limit.width += padding.left + padding.right;
  if (limit.height > 0) limit.height += padding.top + padding.bottom;
  return limit;
}

}  // namespace

wchar_t KeysymToKeyCode(uint32_t keysym) {
  if (keysym >= 'a' && keysym <= 'z') return static_cast<wchar_t>(keysym - 'a' + 'A');
  if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9') || keysym == ' ') {
    return static_cast<wchar_t>(keysym);
  }
  if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<wchar_t>(kKeyF1 + keysym - XK_F1);
  switch (keysym) {
    case XK_BackSpace: return kKeyBack;
    case XK_Tab:
    case XK_ISO_Left_Tab: return kKeyTab;  // Shift+Tab arrives as ISO_Left_Tab
    case XK_Return:
    case XK_KP_Enter: return kKeyEnter;
    case XK_Escape: return kKeyEscape;
    case XK_Prior: return kKeyPageUp;
    case XK_Next: return kKeyPageDown;
    case XK_End: return kKeyEnd;
    case XK_Home: return kKeyHome;
    case XK_Left: return kKeyLeft;
    case XK_Up: return kKeyUp;
    case XK_Right: return kKeyRight;
    case XK_Down: return kKeyDown;
    case XK_Insert:
    case XK_KP_Insert: return kKeyInsert;
    case XK_Delete:
    case XK_KP_Delete: return kKeyDelete;
    case XK_Shift_L:
    case XK_Shift_R: return kKeyShift;
    case XK_Control_L:
    case XK_Control_R: return kKeyControl;
    case XK_Alt_L:
    case XK_Alt_R: return kKeyAlt;
    default: return 0;
  }
}

X11WindowHost* X11HostOf(const TopLevelHost* host) {
  return const_cast<X11WindowHost*>(dynamic_cast<const X11WindowHost*>(host));
}

platform::x11::NativeWindow* NativeWindowOf(const TopLevelHost* host) {
  X11WindowHost* x11_host = X11HostOf(host);
  return x11_host ? &x11_host->native_window() : nullptr;
}

ScreenRect X11WindowSystem::GetWorkArea() { return FromX11(display_.GetWorkArea()); }

ScreenRect X11WindowSystem::GetWorkArea(const ScreenRect& window) {
  return FromX11(display_.GetWorkArea(ToX11(window)));
}

std::unique_ptr<X11WindowHost> X11WindowHost::Create(platform::x11::Display& display,
                                                     Window& window,
                                                     const WindowOptions& ui_options) {
  x11::WindowOptions options = ToX11(ui_options);
  const UiSize init = window.GetInitSize();
  if (init.cx > 0 && init.cy > 0) {
    options.bounds.width = init.cx;
    options.bounds.height = init.cy;
  }
  std::unique_ptr<X11WindowHost> host(new X11WindowHost(display, window, options.background));
  // Only per-pixel alpha under a compositor can show the shadow.
  const bool shadowed = window.IsShadowAttached() && options.translucent && display.HasCompositor();
  host->shadow_corner_ = shadowed ? window.GetShadowCorner() : UiRect{};
  host->frame_min_size_ = options.min_size;
  host->frame_max_size_ = options.max_size;
  const platform::x11::Rect frame = options.bounds;
  options.bounds = Inflate(frame, host->shadow_corner_);
  options.min_size = InflateLimit(options.min_size, host->shadow_corner_);
  options.max_size = InflateLimit(options.max_size, host->shadow_corner_);
  host->native_ = platform::x11::NativeWindow::Create(display, options, host.get());
  if (!host->native_) return nullptr;
  platform::x11::Rect created = options.bounds;
  if (!host->native_->translucent() && !host->shadow_corner_.IsZero()) {
    // The server had no ARGB visual after all: the frame alone.
    host->shadow_corner_ = {};
    created = frame;
    host->native_->SetBounds(created);
    host->ApplySizeLimits();
  }
  window.SetShadowPadding(host->shadow_corner_);
  window.SetHost(host.get());
  host->OnResized(created.width, created.height);
  return host;
}

X11WindowHost::X11WindowHost(platform::x11::Display& display, Window& window,
                             unsigned long opaque_background)
    : display_(display), window_(window), opaque_background_(opaque_background) {}

X11WindowHost::~X11WindowHost() {
  CancelWeakCallbacks();  // no posted paint reaches a half-destroyed host
  Detach();
  tooltip_.reset();
  native_.reset();
}

void X11WindowHost::Detach() {
  if (window_.GetHost() == this) window_.SetHost(nullptr);
}

ScreenRect X11WindowHost::frame_bounds() const {
  return FromX11(Deflate(native_->bounds(), shadow_padding()));
}

void X11WindowHost::SetFrameBounds(const ScreenRect& frame) {
  native_->SetBounds(Inflate(ToX11(frame), shadow_padding()));
}

void X11WindowHost::SetOwner(const TopLevelHost& owner, bool modal) {
  if (const x11::NativeWindow* native = NativeWindowOf(&owner)) {
    native_->SetTransientFor(native->id(), modal);
  }
}

void X11WindowHost::SetIcon(const std::vector<IconPicture>& pictures) {
  std::vector<x11::NativeWindow::IconPicture> native;
  native.reserve(pictures.size());
  for (const IconPicture& p : pictures) native.push_back({p.width, p.height, p.argb});
  native_->SetIcon(native);
}

void X11WindowHost::BeginMoveDrag(UiPoint screen_point) {
  native_->BeginMoveDrag(screen_point.x, screen_point.y, x11::MouseButton::kLeft);
}

void X11WindowHost::BeginResizeDrag(ResizeEdge edge, UiPoint screen_point) {
  native_->BeginResizeDrag(ToX11(edge), screen_point.x, screen_point.y, x11::MouseButton::kLeft);
}

void X11WindowHost::SetShadowHidden(bool hidden) {
  const UiRect padding = hidden ? UiRect{} : shadow_corner_;
  if (padding == shadow_padding()) return;
  window_.SetShadowPadding(padding);
  ApplySizeLimits();
  UpdateShape(back_buffer_.width(), back_buffer_.height());
}

void X11WindowHost::ApplySizeLimits() {
  native_->SetSizeLimits(InflateLimit(frame_min_size_, shadow_padding()),
                         InflateLimit(frame_max_size_, shadow_padding()));
}

void X11WindowHost::UpdateShape(int width, int height) {
  const UiSize round = window_.GetRoundCorner();
  const bool rounded = round.cx > 0 && round.cy > 0;
  const bool translucent = native_->translucent();
  // Translucent: alpha draws the outline, only clicks are kept to the frame.
  // Opaque: the outline itself is cut out of the window.
  const bool wanted = translucent ? rounded || !shadow_padding().IsZero() : rounded;
  if ((!wanted && !shaped_) || !native_->alive()) return;
  ::Display* dpy = display_.xdisplay();
  int event_base = 0, error_base = 0;
  if (!XShapeQueryExtension(dpy, &event_base, &error_base)) return;
  std::vector<XRectangle> rects;
  for (const UiRect& band :
       RoundRectBands(window_.GetFrameRect(UiSize{width, height}), rounded ? round : UiSize{})) {
    rects.push_back(XRectangle{static_cast<short>(band.left), static_cast<short>(band.top),
                               static_cast<unsigned short>(band.Width()),
                               static_cast<unsigned short>(band.Height())});
  }
  XShapeCombineRectangles(dpy, native_->id(), translucent ? ShapeInput : ShapeBounding, 0, 0,
                          rects.data(), static_cast<int>(rects.size()), ShapeSet, YXBanded);
  shaped_ = true;
}

void X11WindowHost::OnResized(int width, int height) {
  if (width == back_buffer_.width() && height == back_buffer_.height()) return;
  back_buffer_.Resize(width, height);
  UpdateShape(width, height);
  window_.ArrangeRoot(UiSize{width, height});
  window_.Invalidate(UiRect{0, 0, width, height});
  if (Control* focus = window_.GetFocus()) focus->SendEvent(kEventWindowSize);
}

void X11WindowHost::PaintNow() {
  paint_pending_ = false;
  if (!native_->alive()) return;
  // A root that sizes itself to its content decides the window's size.
  const UiSize current = GetClientSize();
  const UiSize wanted = window_.EstimateRootSize(current);
  if (wanted != current && wanted.cx > 0 && wanted.cy > 0 && wanted != requested_size_) {
    requested_size_ = wanted;  // asked once; the configure notice repaints
    native_->Resize(wanted.cx, wanted.cy);
  }
  window_.ArrangeIfNeeded();
  const UiRect client{0, 0, back_buffer_.width(), back_buffer_.height()};
  for (const UiRect& part : window_.TakeDirtyRegion()) {
    const UiRect dirty = part.Intersect(client);
    if (!dirty.IsEmpty()) PaintAndPresent(dirty);
  }
}

void X11WindowHost::PaintAndPresent(const UiRect& dirty) {
  window_.Paint(back_buffer_, dirty);
  if (!native_->translucent()) {
    // Without a compositor alpha is ignored: blend the picture onto the
    // background here so transparent parts do not show black.
    cairo_t* cr = back_buffer_.cairo();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_DEST_OVER);
    cairo_set_source_rgb(cr, ((opaque_background_ >> 16) & 0xFF) / 255.0,
                         ((opaque_background_ >> 8) & 0xFF) / 255.0,
                         (opaque_background_ & 0xFF) / 255.0);
    cairo_rectangle(cr, dirty.left, dirty.top, dirty.Width(), dirty.Height());
    cairo_fill(cr);
    cairo_restore(cr);
  }
  native_->Present(back_buffer_.surface(),
                   platform::x11::Rect{dirty.left, dirty.top, dirty.Width(), dirty.Height()});
}

void X11WindowHost::OnWindowEvent(const platform::x11::WindowEvent& event) {
  switch (event.type) {
    case NativeEvent::kExpose:
      window_.Invalidate(UiRect{event.rect.x, event.rect.y, event.rect.x + event.rect.width,
                                event.rect.y + event.rect.height});
      break;
    case NativeEvent::kConfigure:
      OnResized(event.rect.width, event.rect.height);
      break;
    case NativeEvent::kCloseRequest:
      if (on_close_) on_close_();
      else native_->Destroy();
      break;
    case NativeEvent::kDestroyed:
      Detach();
      if (on_destroyed_) {
        // A copy: the handler may destroy the host and with it on_destroyed_.
        std::function<void()> handler = on_destroyed_;
        handler();
      }
      break;
    default:
      if (!on_input_) break;
      if (std::optional<WindowEvent> input = Translate(event)) on_input_(*input);
      break;
  }
}

void X11WindowHost::Invalidate(const UiRect& rect) {
  if (rect.IsEmpty() || paint_pending_) return;
  // The window keeps the dirty rectangle; one paint serves every
  // invalidation made before it runs.
  paint_pending_ = PostToCurrentLoop(ToWeakCallback([this] {
    if (paint_pending_) PaintNow();
  }));
}

UiSize X11WindowHost::GetClientSize() const {
  return UiSize{back_buffer_.width(), back_buffer_.height()};
}

void X11WindowHost::SetCursor(CursorType cursor) { native_->SetCursor(ToPointerShape(cursor)); }

void X11WindowHost::SetCapture() { native_->GrabPointer(); }

void X11WindowHost::ReleaseCapture() { native_->UngrabPointer(); }

bool X11WindowHost::IsCaptured() const { return native_->pointer_grabbed(); }

bool X11WindowHost::HasNativeFocus() const { return native_->focused(); }

void X11WindowHost::SetNativeFocus() { native_->Focus(); }

void X11WindowHost::ShowTooltip(const UiRect& control_rect, const std::wstring& text) {
  tooltip_text_ = text;
  if (!native_->alive()) return;
  if (!tooltip_) tooltip_ = std::make_unique<TooltipWindow>(display_);
  // Below the control, where the pointer does not cover it.
  const platform::x11::Rect bounds = native_->bounds();
  tooltip_->Show(bounds.x + control_rect.left, bounds.y + control_rect.bottom + 4, text);
}

void X11WindowHost::HideTooltip() {
  tooltip_text_.clear();
  if (tooltip_) tooltip_->Hide();
}

void X11WindowHost::PostDestroyQueuedControls() {
  if (destroy_pending_) return;
  destroy_pending_ = PostToCurrentLoop(ToWeakCallback([this] {
    destroy_pending_ = false;
    window_.DestroyQueuedControls();
  }));
}

uintptr_t X11WindowHost::GetNativeHandle() const {
  return native_->alive() ? static_cast<uintptr_t>(native_->id()) : 0;
}

void X11WindowHost::SetClipboardText(const std::wstring& text) {
  display_.clipboard().SetText(Utf16ToUtf8(text));
}

void X11WindowHost::RequestClipboardText(std::function<void(std::optional<std::wstring>)> done) {
  display_.clipboard().RequestText(
      ToWeakCallback([done = std::move(done)](std::optional<std::string> utf8) {
        done(utf8 ? std::optional<std::wstring>(Utf8ToUtf16(*utf8)) : std::nullopt);
      }));
}

void X11WindowHost::StartTimer(vbase::WeakCallbackFlag& flag, std::function<void()> tick,
                               int interval_ms) {
  flag.Cancel();
  if (TimerManager* timers = UiTimerScope::current()) {
    timers->AddTimer(flag, std::move(tick), interval_ms, TimerManager::kRepeatForever);
  }
}

}  // namespace ui
