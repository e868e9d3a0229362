// The painter: draws into a Cairo ARGB32 image surface (premultiplied, the
// layout of a 32-bit X visual) through a clip stack.
//
// Text goes through Pango with fonts of the global font table, the context
// language set to zh-cn and pinned font options (grey antialiasing, no
// hinting) so rendering does not depend on the desktop's settings.
// Ownership: the context owns its surface. Threads: UI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/geometry.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _PangoContext PangoContext;

namespace ui {

class ImageInfo;

struct ImageDrawParams {
  UiRect dest;      // where in the surface
  UiRect source;    // part of the picture; empty means all of it
  UiRect corner;    // nine-grid corners kept unstretched (picture pixels)
  uint8_t alpha = 255;
  bool xtiled = false;
  bool ytiled = false;
};

class RenderContext {
 public:
  RenderContext(int width, int height);
  ~RenderContext();
  RenderContext(const RenderContext&) = delete;
  RenderContext& operator=(const RenderContext&) = delete;

  // New size; the content is cleared.
  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  cairo_surface_t* surface() const { return surface_; }
  cairo_t* cairo() const { return cr_; }
  // Transparent everywhere (inside the current clip).
  void Clear();

  // Clip stack: each push intersects the current clip with `rect`.
  void PushClip(const UiRect& rect);
  void PushRoundClip(const UiRect& rect, UiSize round);
  void PopClip();
  UiRect GetClipBox() const;

  // Everything drawn until the matching PopAlpha is blended with `alpha`.
  void PushAlpha(uint8_t alpha);
  void PopAlpha();

  void FillRect(const UiRect& rect, uint32_t argb);
  void FillRoundRect(const UiRect& rect, UiSize round, uint32_t argb);
  // A frame inside `rect`, with one width per side.
  void DrawBorder(const UiRect& rect, const UiRect& widths, uint32_t argb);
  void DrawRoundBorder(const UiRect& rect, UiSize round, int width, uint32_t argb);
  void DrawLine(UiPoint from, UiPoint to, int width, uint32_t argb);

  void DrawImage(const ImageInfo& image, const ImageDrawParams& params);

  // Text in `rect` with the style bits of text_style.h; `font_id` names a
  // font of the global table (empty: the default font).
  void DrawText(const std::wstring& text, const UiRect& rect, const std::wstring& font_id,
                uint32_t argb, unsigned style);

  // ARGB (not premultiplied) of one pixel; for tests and hit checks.
  uint32_t GetPixel(int x, int y) const;

 private:
  void CreateSurface();
  void DestroySurface();

  int width_;
  int height_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  PangoContext* pango_ = nullptr;  // shared by every text of this surface
  int clip_depth_ = 0;
  std::vector<uint8_t> alpha_stack_;
};

// Size of `text` laid out with the font and style bits; `max_width` limits
// wrapped (multi-line) text, <= 0 means unlimited.
UiSize MeasureText(const std::wstring& text, const std::wstring& font_id, unsigned style,
                   int max_width);

}  // namespace ui
