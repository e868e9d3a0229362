// The window system as the window base sees it: a WindowSystem makes the
// native top-level window of a ui::Window and knows the screen's work areas;
// the TopLevelHost it returns is that window (and, as a WindowHost, what the
// control tree needs from it). The X11 back-end lives in ui/host; tests use
// a fake. UI thread only. A host is owned by its window base and outlives
// nothing it serves: it detaches from the ui::Window before it goes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/geometry.h"
#include "ui/core/window_event.h"
#include "ui/core/window_host.h"

namespace ui {

class Window;
class TopLevelHost;

// Edges and corners of a window being resized.
enum class ResizeEdge { kTopLeft, kTop, kTopRight, kRight, kBottomRight, kBottom, kBottomLeft, kLeft };

// A picture of the window's icon: width * height pixels of straight (not
// premultiplied) 0xAARRGGBB, row by row.
struct IconPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

struct WindowOptions {
  std::wstring title;
  std::wstring class_name;  // how the desktop and tests find the window
  ScreenRect bounds{0, 0, 100, 100};  // of the visible frame
  bool borderless = true;
  bool translucent = true;   // per-pixel alpha when the screen can show it
  bool notification = false; // a toast: above other windows, no focus, no frame
  const TopLevelHost* owner = nullptr;  // stays above its owner
  bool modal = false;        // modal to the owner
  UiSize min_size;           // of the frame; 0 means no limit
  UiSize max_size;
  uint32_t background = 0xFFFFFFFF;  // ARGB, shown until the first paint
};

class TopLevelHost : public WindowHost {
 public:
  // Screen position and size of the visible frame (a drawn shadow lies
  // around it).
  virtual ScreenRect frame_bounds() const = 0;
  virtual void SetFrameBounds(const ScreenRect& frame) = 0;
  // A maximised window hides its shadow; the frame then fills the window.
  virtual void SetShadowHidden(bool hidden) = 0;
  // Translucent windows keep per-pixel alpha (the shadow can be drawn).
  virtual bool translucent() const = 0;

  // The native window exists (it is destroyed asynchronously).
  virtual bool alive() const = 0;
  virtual bool mapped() const = 0;
  virtual void Show(bool take_focus) = 0;
  virtual void Hide() = 0;
  virtual void Minimize() = 0;
  // A window that takes no input drops pointer, key and close requests.
  virtual void SetInputEnabled(bool enabled) = 0;
  virtual bool input_enabled() const = 0;
  virtual void SetOwner(const TopLevelHost& owner, bool modal) = 0;
  virtual void SetIcon(const std::vector<IconPicture>& pictures) = 0;
  // Moves or resizes the window with the pointer from `screen_point` while
  // the left button is held.
  virtual void BeginMoveDrag(UiPoint screen_point) = 0;
  virtual void BeginResizeDrag(ResizeEdge edge, UiPoint screen_point) = 0;
  // Asks for destruction; the destroyed handler follows.
  virtual void Destroy() = 0;

  // Runs instead of destroying the window when the user asks to close.
  virtual void SetCloseRequestHandler(std::function<void()> handler) = 0;
  // Runs once the native window is gone (the last call the host makes); the
  // handler may destroy the host.
  virtual void SetDestroyedHandler(std::function<void()> handler) = 0;
  virtual void SetInputHandler(std::function<void(const WindowEvent&)> handler) = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The native window of `window` (not shown) for a frame at the options'
  // bounds; a layout that gives an initial size wins over the options'
  // size. Null on failure.
  virtual std::unique_ptr<TopLevelHost> CreateHost(Window& window, const WindowOptions& options) = 0;
  // The desktop's work area (panels and docks left out).
  virtual ScreenRect GetWorkArea() = 0;
  // The work area of the monitor `window` lies on most.
  virtual ScreenRect GetWorkArea(const ScreenRect& window) = 0;
};

}  // namespace ui
