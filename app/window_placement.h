// Placement of windows whose root sizes itself to its content (toasts, the
// settings window).
//
// The host resizes such a window only at its first paint, after the
// window base has already centred it at the layout's size; these windows
// are sized here first. UI thread only.
#pragma once

#include "ui/window/window_impl_base.h"

// Gives the native window the size its root asks for and centres it by the
// window base's rule (over the owner, inside the monitor's work area).
void FitAndCenterWindow(ui::WindowImplBase& window);
