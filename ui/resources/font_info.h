// A font of the global font table: face, pixel size (already scaled for the
// UI scale), weight and style flags, and the Pango description to draw it.
// Plain value; any thread may copy it, drawing happens on the UI thread.
#pragma once

#include <memory>
#include <string>

typedef struct _PangoFontDescription PangoFontDescription;

namespace ui {

inline constexpr int kFontWeightNormal = 400;
inline constexpr int kFontWeightBold = 700;

struct PangoFontDescriptionDeleter {
  void operator()(PangoFontDescription* description) const;
};
using PangoFontDescriptionPtr =
    std::unique_ptr<PangoFontDescription, PangoFontDescriptionDeleter>;

struct FontInfo {
  std::wstring face;
  int pixel_size = 0;
  int weight = kFontWeightNormal;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;

  // Family, absolute size in device pixels, weight and style. Underline and
  // strikeout are text attributes in Pango, not part of the description:
  // apply them with pango_attr_underline_new / pango_attr_strikethrough_new.
  PangoFontDescriptionPtr CreatePangoDescription() const;
};

}  // namespace ui
