// Pango layouts for the painter and for text measurement, built the same way
// so that measured and drawn text agree. Internal to the render folder.
#pragma once

#include <string>

#include "ui/core/geometry.h"

typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

namespace ui {

// Pins font options and language on a Pango context.
void ConfigurePangoContext(PangoContext* context);

// A layout of `text` for a box `width` pixels wide (<= 0: unlimited) and
// `height` high (<= 0: unlimited) with the given font and style bits. The
// caller unrefs it.
PangoLayout* CreateTextLayout(PangoContext* context, const std::wstring& text,
                              const std::wstring& font_id, unsigned style, int width,
                              int height);

// The measuring context of the calling (UI) thread.
PangoContext* MeasureContext();

}  // namespace ui
