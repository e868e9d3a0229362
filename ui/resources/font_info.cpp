#include "ui/resources/font_info.h"

#include <pango/pango.h>

#include <algorithm>

#include "base/text.h"

namespace ui {

void PangoFontDescriptionDeleter::operator()(PangoFontDescription* description) const {
  pango_font_description_free(description);
}

PangoFontDescriptionPtr FontInfo::CreatePangoDescription() const {
  PangoFontDescriptionPtr description(pango_font_description_new());
  pango_font_description_set_family(description.get(), Utf16ToUtf8(face).c_str());
  pango_font_description_set_absolute_size(description.get(), static_cast<double>(pixel_size) * PANGO_SCALE);
  // Pango accepts the CSS weight range only.
  pango_font_description_set_weight(description.get(), static_cast<PangoWeight>(std::clamp(weight, 100, 1000)));
  pango_font_description_set_style(description.get(), italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

}  // namespace ui
