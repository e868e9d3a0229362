#include "tests/app/window/screen_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <cairo.h>

#include <algorithm>
#include <cstdlib>

#include "platform/x11/x_error_trap.h"
#include "tests/support/child_process.h"

namespace fleetsync_test {

bool SavePng(const ScreenGrab& grab, const std::string& path) {
  if (grab.empty()) return false;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, grab.width, grab.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < grab.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < grab.width; ++x) row[x] = grab.at(x, y);
  }
  cairo_surface_mark_dirty(surface);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

std::unique_ptr<ScreenProbe> ScreenProbe::Open() {
  // A window that closes while the probe looks at it (a toast, a program
  // ending) is no reason to end the test process.
  platform::x11::InstallXErrorHandler();
  _XDisplay* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  return std::unique_ptr<ScreenProbe>(new ScreenProbe(display));
}

ScreenProbe::~ScreenProbe() { XCloseDisplay(display_); }

// The part of a window that takes clicks: under a compositor a drawn shadow
// around the frame is part of the window but not of what a person sees as
// it, and takes no clicks.
ScreenRect ScreenProbe::ClickableArea(unsigned long window, const ScreenRect& bounds) {
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(display_, window, ShapeInput, &count, &ordering);
  if (!rects) return bounds;
  int left = bounds.width, top = bounds.height, right = 0, bottom = 0;
  for (int i = 0; i < count; ++i) {
    left = std::min<int>(left, rects[i].x);
    top = std::min<int>(top, rects[i].y);
    right = std::max(right, rects[i].x + rects[i].width);
    bottom = std::max(bottom, rects[i].y + rects[i].height);
  }
  XFree(rects);
  if (right <= left || bottom <= top) return bounds;
  return {bounds.x + left, bounds.y + top, right - left, bottom - top};
}

template <typename Match>
std::vector<ScreenRect> ScreenProbe::Find(Match match) {
  std::vector<ScreenRect> found;
  const Window root = DefaultRootWindow(display_);
  Window root_return = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display_, root, &root_return, &parent, &children, &count)) return found;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, children[i], &attributes) ||
        attributes.map_state != IsViewable) {
      continue;
    }
    XClassHint hint{};
    if (!XGetClassHint(display_, children[i], &hint)) continue;
    const bool matches = match(std::string(hint.res_name ? hint.res_name : ""),
                               std::string(hint.res_class ? hint.res_class : ""));
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    if (!matches) continue;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, children[i], root, 0, 0, &x, &y, &child);
    found.push_back(ClickableArea(children[i], {x, y, attributes.width, attributes.height}));
  }
  if (children) XFree(children);
  return found;
}

std::vector<ScreenRect> ScreenProbe::FindWindows(const std::string& wm_class) {
  return Find([&](const std::string& name, const std::string& klass) {
    return name == wm_class || klass == wm_class;
  });
}

std::optional<ScreenRect> ScreenProbe::FindWindow(const std::string& wm_class) {
  std::vector<ScreenRect> found = FindWindows(wm_class);
  if (found.empty()) return std::nullopt;
  return found.back();
}

std::vector<ScreenRect> ScreenProbe::FindOtherWindows(const std::vector<std::string>& wm_classes) {
  return Find([&](const std::string& name, const std::string& klass) {
    if (name.empty() && klass.empty()) return false;
    return std::find(wm_classes.begin(), wm_classes.end(), name) == wm_classes.end() &&
           std::find(wm_classes.begin(), wm_classes.end(), klass) == wm_classes.end();
  });
}

bool ScreenProbe::HasCompositor() {
  const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display_));
  return XGetSelectionOwner(display_, XInternAtom(display_, selection.c_str(), False)) != None;
}

void ScreenProbe::SetResources(const std::string& resources) {
  XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                  static_cast<int>(resources.size()));
  XSync(display_, False);
}

ScreenGrab ScreenProbe::Grab(const ScreenRect& area) {
  XSync(display_, False);
  return fleetsync_test::GrabScreen(display_, area);
}

ScreenGrab ScreenProbe::GrabScreen() {
  const int screen = DefaultScreen(display_);
  return Grab({0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)});
}

bool ScreenProbe::Click(int x, int y) {
  return RunProcess({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"},
                    std::chrono::seconds(20))
             .exit_code == 0;
}

bool ScreenProbe::MovePointer(int x, int y) {
  return RunProcess({"xdotool", "mousemove", std::to_string(x), std::to_string(y)},
                    std::chrono::seconds(20))
             .exit_code == 0;
}

bool ScreenProbe::PressKey(const std::string& key) {
  return RunProcess({"xdotool", "key", key}, std::chrono::seconds(20)).exit_code == 0;
}

}  // namespace fleetsync_test
