// A native top-level window of the X11 layer.
//
// Contract:
// - UI thread only. Created on a Display that outlives it; reports its events
//   to one WindowListener (not owned), from Display::DispatchNativeEvents.
// - Translucency: when a compositing manager runs and the options ask for it,
//   the window uses a 32-bit ARGB visual and presented pixels keep their
//   alpha; otherwise it uses the default visual and is opaque: the owner must
//   then draw without a transparent shadow margin (see translucent()).
// - Presenting copies a rectangle of a Cairo ARGB32 image surface
//   (premultiplied, native-endian) to the window; nothing is cleared in
//   between, so repainting does not flicker.
// - Destruction is asynchronous: Destroy() asks the server, the window stays
//   registered until DestroyNotify arrives and reports kDestroyed, its last
//   event. The same happens when something else destroys the window.
//   Destroying the object destroys a still existing native window at once and
//   reports nothing more. Requests on a window that is already gone are
//   ignored (the protocol errors are trapped).
// - Caption drags and size-box resizes are handed to the window manager with
//   _NET_WM_MOVERESIZE when it supports it; otherwise the window grabs the
//   pointer and moves or resizes itself until the button is released. While
//   such a drag runs, pointer motion and the release are consumed by it.
// - A disabled window (SetEnabled(false), the owner of a modal window) drops
//   pointer, key and close-request events.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/window_event.h"

union _XEvent;
struct _XGC;
typedef struct _cairo_surface cairo_surface_t;

namespace platform::x11 {

class Display;
class InputContext;

struct WindowOptions {
  std::string title;       // UTF-8 (_NET_WM_NAME and WM_NAME)
  std::string class_name;  // WM_CLASS, name and class alike
  Rect bounds{0, 0, 100, 100};
  bool borderless = true;    // _MOTIF_WM_HINTS without decorations
  bool translucent = true;   // ARGB visual when a compositor runs
  bool notification = false; // override-redirect toast (_NET_WM_WINDOW_TYPE_NOTIFICATION)
  WindowId transient_for = 0;
  bool modal = false;        // _NET_WM_STATE_MODAL (with transient_for)
  Size min_size;             // WM_NORMAL_HINTS; 0 means no limit
  Size max_size;
  unsigned long background = 0xFFFFFFFF;  // ARGB, shown until the first present
};

class NativeWindow {
 public:
  // Null when the server refuses the window.
  static std::unique_ptr<NativeWindow> Create(Display& display, const WindowOptions& options,
                                              WindowListener* listener);
  ~NativeWindow();
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  WindowId id() const { return window_; }
  // The native window exists (no DestroyNotify yet).
  bool alive() const { return alive_; }
  bool translucent() const { return translucent_; }
  int depth() const { return depth_; }
  // Last known position (screen) and size.
  Rect bounds() const { return bounds_; }
  bool mapped() const { return mapped_; }
  bool focused() const { return focused_; }

  void SetTitle(const std::string& utf8_title);
  // The window's icon at one or more sizes (_NET_WM_ICON), each picture
  // width * height pixels of straight (not premultiplied) 0xAARRGGBB, row by
  // row. Pictures whose pixel count does not match are left out.
  struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
  };
  void SetIcon(const std::vector<IconPicture>& pictures);
  void SetSizeLimits(Size min_size, Size max_size);
  void SetTransientFor(WindowId owner, bool modal);
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool enabled() const { return enabled_; }

  void Show(bool take_focus);
  void Hide();
  // Asks the window manager to minimise the window (XIconifyWindow); without
  // one the window stays as it is.
  void Iconify();
  void Raise();
  void Focus();
  void Move(int x, int y);
  void Resize(int width, int height);
  void SetBounds(const Rect& bounds);
  // Requests destruction; kDestroyed follows.
  void Destroy();

  // Copies `dirty` (window coordinates) of `surface` to the window.
  // `surface` is an ARGB32 image surface of at least the window's size.
  void Present(cairo_surface_t* surface, const Rect& dirty);

  void SetCursor(PointerShape shape);
  // Mouse capture: all pointer events go to this window until released.
  bool GrabPointer();
  void UngrabPointer();
  bool pointer_grabbed() const { return grabbed_; }

  // Starts a caption drag or an edge resize from the pointer position
  // (screen coordinates) while `button` is held.
  void BeginMoveDrag(int root_x, int root_y, MouseButton button);
  void BeginResizeDrag(ResizeEdge edge, int root_x, int root_y, MouseButton button);
  bool dragging() const { return drag_.has_value(); }

 private:
  friend class Display;
  struct Drag {
    std::optional<ResizeEdge> edge;  // empty: move
    int start_root_x;
    int start_root_y;
    Rect start_bounds;
  };

  NativeWindow(Display& display, WindowListener* listener);
  bool Init(const WindowOptions& options);
  void HandleXEvent(_XEvent& event);
  void HandleClientMessage(_XEvent& event);
  bool HandleDragEvent(_XEvent& event);
  void BeginDrag(std::optional<ResizeEdge> edge, int direction, int root_x, int root_y,
                 MouseButton button);
  void EndDrag();
  void SendNetWmState(bool add, unsigned long state);
  void Deliver(const WindowEvent& event);
  void ForgetNativeWindow();

  Display& display_;
  WindowListener* listener_;
  WindowId window_ = 0;
  unsigned long colormap_ = 0;
  _XGC* gc_ = nullptr;
  std::unique_ptr<InputContext> ic_;
  void* visual_ = nullptr;
  int depth_ = 0;
  bool translucent_ = false;
  bool alive_ = false;
  bool mapped_ = false;
  bool focused_ = false;
  bool enabled_ = true;
  bool grabbed_ = false;
  bool modal_ = false;
  bool focus_on_map_ = false;
  Rect bounds_;
  Size min_size_;
  Size max_size_;
  unsigned long cursor_ = 0;
  std::optional<Drag> drag_;
};

}  // namespace platform::x11
