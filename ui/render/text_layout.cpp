#include "ui/render/text_layout.h"

#include <pango/pangocairo.h>

#include <memory>

#include "base/text.h"
#include "ui/render/text_style.h"
#include "ui/resources/global_manager.h"

namespace ui {

namespace {

constexpr int kFallbackFontPixels = 12;

PangoFontDescription* DescriptionFor(const FontInfo* font) {
  if (font) return font->CreatePangoDescription().release();
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, "WenQuanYi Micro Hei");
  pango_font_description_set_absolute_size(d, kFallbackFontPixels * PANGO_SCALE);
  return d;
}

}  // namespace

void ConfigurePangoContext(PangoContext* context) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  pango_cairo_context_set_resolution(context, 96.0);
  // Without it fontconfig may pick Japanese glyph forms for Chinese text.
  pango_context_set_language(context, pango_language_from_string("zh-cn"));
}

PangoLayout* CreateTextLayout(PangoContext* context, const std::wstring& text,
                              const std::wstring& font_id, unsigned style, int width,
                              int height) {
  PangoLayout* layout = pango_layout_new(context);
  const FontInfo* font = GlobalManager::GetFont(font_id);
  PangoFontDescription* description = DescriptionFor(font);
  pango_layout_set_font_description(layout, description);
  pango_font_description_free(description);
  if (font && (font->underline || font->strikeout)) {
    PangoAttrList* attrs = pango_attr_list_new();
    if (font->underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font->strikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
  }

  std::string utf8 = Utf16ToUtf8(text);
  const bool single_line = (style & kTextSingleLine) != 0;
  if (single_line) {
    // One line: line breaks show as nothing rather than starting new lines.
    for (char& c : utf8) {
      if (c == '\r' || c == '\n') c = ' ';
    }
  }
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));

  const bool ellipsis = (style & kTextEndEllipsis) != 0;
  if (width > 0) {
    if (single_line) {
      if (ellipsis) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
      }
    } else {
      pango_layout_set_width(layout, width * PANGO_SCALE);
      pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
      if (style & kTextCenter) pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
      else if (style & kTextRight) pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
      if (ellipsis && height > 0) {
        pango_layout_set_height(layout, height * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
      }
    }
  }
  return layout;
}

PangoContext* MeasureContext() {
  struct ContextDeleter {
    void operator()(PangoContext* c) const { g_object_unref(c); }
  };
  thread_local std::unique_ptr<PangoContext, ContextDeleter> context([] {
    PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
    ConfigurePangoContext(c);
    return c;
  }());
  return context.get();
}

}  // namespace ui
