// Screen facts the window placement and the UI scale need: the monitors of
// the screen (RandR), the work area of the monitor a window is on, and the
// screen's resolution in dots per inch.
//
// The pure functions take what the server said and decide; the readers ask
// the server. UI thread only (they use the Display's connection).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/x11/window_event.h"

struct _XDisplay;

namespace platform::x11 {

// The monitor `window` overlaps most (the nearest one when it overlaps
// none), cut to the desktop's work area (panels and docks left out); the
// monitor itself when the two do not meet. `desktop_work` when there are no
// monitors.
Rect MonitorWorkArea(const std::vector<Rect>& monitors, const Rect& desktop_work,
                     const Rect& window);

// The "Xft.dpi" value of an X resource string (RESOURCE_MANAGER), when it
// holds a positive number.
std::optional<double> XftDpiFromResources(const std::string& resources);

// Monitors in root coordinates (RandR 1.5), empty when the server has none
// to tell.
std::vector<Rect> ReadMonitors(_XDisplay* display);

// Xft.dpi when set, else the screen's size in pixels over its size in
// millimetres; 96 when neither tells.
int ReadScreenDpi(_XDisplay* display, int screen);

}  // namespace platform::x11
