#include "platform/x11/monitors.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace platform::x11 {
namespace {

constexpr int kDefaultDpi = 96;
constexpr double kMillimetresPerInch = 25.4;

Rect Intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  return Rect{left, top, right - left, bottom - top};
}

long long OverlapArea(const Rect& a, const Rect& b) {
  const Rect r = Intersect(a, b);
  return r.empty() ? 0 : static_cast<long long>(r.width) * r.height;
}

// Squared distance between the centres, in doubled coordinates.
long long CentreDistance(const Rect& a, const Rect& b) {
  const long long dx = (2LL * a.x + a.width) - (2LL * b.x + b.width);
  const long long dy = (2LL * a.y + a.height) - (2LL * b.y + b.height);
  return dx * dx + dy * dy;
}

}  // namespace

Rect MonitorWorkArea(const std::vector<Rect>& monitors, const Rect& desktop_work,
                     const Rect& window) {
  if (monitors.empty()) return desktop_work;
  const Rect* best = &monitors.front();
  long long best_overlap = -1;
  long long best_distance = LLONG_MAX;
  for (const Rect& monitor : monitors) {
    const long long overlap = OverlapArea(monitor, window);
    const long long distance = CentreDistance(monitor, window);
    if (overlap > best_overlap || (overlap == best_overlap && distance < best_distance)) {
      best = &monitor;
      best_overlap = overlap;
      best_distance = distance;
    }
  }
  const Rect work = Intersect(*best, desktop_work);
  return work.empty() ? *best : work;
}

std::optional<double> XftDpiFromResources(const std::string& resources) {
  static const std::string kKey = "Xft.dpi:";
  size_t line = 0;
  while (line < resources.size()) {
    size_t end = resources.find('\n', line);
    if (end == std::string::npos) end = resources.size();
    if (resources.compare(line, kKey.size(), kKey) == 0) {
      const std::string value = resources.substr(line + kKey.size(), end - line - kKey.size());
      char* rest = nullptr;
      const double dpi = std::strtod(value.c_str(), &rest);
      if (rest != value.c_str() && std::isfinite(dpi) && dpi > 0) return dpi;
    }
    line = end + 1;
  }
  return std::nullopt;
}

std::vector<Rect> ReadMonitors(_XDisplay* display) {
  std::vector<Rect> monitors;
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base) ||
      !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 5)) {
    return monitors;
  }
  int count = 0;
  XRRMonitorInfo* info = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  for (int i = 0; info && i < count; ++i) {
    monitors.push_back(Rect{info[i].x, info[i].y, info[i].width, info[i].height});
  }
  if (info) XRRFreeMonitors(info);
  return monitors;
}

int ReadScreenDpi(_XDisplay* display, int screen) {
  if (const char* resources = XResourceManagerString(display)) {
    if (std::optional<double> dpi = XftDpiFromResources(resources)) {
      return static_cast<int>(std::lround(std::min(*dpi, 10000.0)));
    }
  }
  const int pixels = DisplayWidth(display, screen);
  const int millimetres = DisplayWidthMM(display, screen);
  if (pixels <= 0 || millimetres <= 0) return kDefaultDpi;
  return static_cast<int>(std::lround(pixels * kMillimetresPerInch / millimetres));
}

}  // namespace platform::x11
