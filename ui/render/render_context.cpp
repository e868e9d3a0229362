#include "ui/render/render_context.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "ui/render/text_layout.h"
#include "ui/render/text_style.h"
#include "ui/resources/image.h"

namespace ui {

namespace {

void SetSource(cairo_t* cr, uint32_t argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                        (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void RectPath(cairo_t* cr, const UiRect& r) {
  cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
}

void RoundRectPath(cairo_t* cr, const UiRect& r, UiSize round) {
  double rx = std::min(round.cx / 2.0, r.Width() / 2.0);
  double ry = std::min(round.cy / 2.0, r.Height() / 2.0);
  if (rx <= 0 || ry <= 0) {
    RectPath(cr, r);
    return;
  }
  // An ellipse quarter per corner: scale a unit arc.
  auto corner = [&](double cx, double cy, double a1, double a2) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a1, a2);
    cairo_restore(cr);
  };
  const double pi = 3.14159265358979323846;
  cairo_new_sub_path(cr);
  corner(r.right - rx, r.top + ry, -pi / 2, 0);
  corner(r.right - rx, r.bottom - ry, 0, pi / 2);
  corner(r.left + rx, r.bottom - ry, pi / 2, pi);
  corner(r.left + rx, r.top + ry, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

// Draws `src` of the picture stretched (or tiled) over `dst`.
void DrawPiece(cairo_t* cr, cairo_surface_t* picture, const UiRect& src, const UiRect& dst,
               double alpha, bool xtiled, bool ytiled) {
  if (src.IsEmpty() || dst.IsEmpty()) return;
  cairo_save(cr);
  RectPath(cr, dst);
  cairo_clip(cr);
  cairo_pattern_t* pattern;
  if (xtiled || ytiled) {
    // Tile the piece: cut it out, then repeat it from the destination origin.
    cairo_surface_t* piece =
        cairo_surface_create_for_rectangle(picture, src.left, src.top, src.Width(), src.Height());
    pattern = cairo_pattern_create_for_surface(piece);
    cairo_surface_destroy(piece);
    cairo_matrix_t m;
    double sx = xtiled ? 1.0 : static_cast<double>(src.Width()) / dst.Width();
    double sy = ytiled ? 1.0 : static_cast<double>(src.Height()) / dst.Height();
    cairo_matrix_init_scale(&m, sx, sy);
    cairo_matrix_translate(&m, -dst.left, -dst.top);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  } else {
    pattern = cairo_pattern_create_for_surface(picture);
    cairo_matrix_t m;
    double sx = static_cast<double>(src.Width()) / dst.Width();
    double sy = static_cast<double>(src.Height()) / dst.Height();
    cairo_matrix_init_translate(&m, src.left, src.top);
    cairo_matrix_scale(&m, sx, sy);
    cairo_matrix_translate(&m, -dst.left, -dst.top);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  }
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
  cairo_set_source(cr, pattern);
  cairo_paint_with_alpha(cr, alpha);
  cairo_pattern_destroy(pattern);
  cairo_restore(cr);
}

}  // namespace

RenderContext::RenderContext(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  CreateSurface();
}

RenderContext::~RenderContext() { DestroySurface(); }

void RenderContext::CreateSurface() {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
  cr_ = cairo_create(surface_);
  pango_ = pango_cairo_create_context(cr_);
  ConfigurePangoContext(pango_);
  clip_depth_ = 0;
  alpha_stack_.clear();
}

void RenderContext::DestroySurface() {
  if (pango_) g_object_unref(pango_);
  pango_ = nullptr;
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
  cr_ = nullptr;
  surface_ = nullptr;
}

void RenderContext::Resize(int width, int height) {
  DestroySurface();
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
  CreateSurface();
}

void RenderContext::Clear() {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void RenderContext::PushClip(const UiRect& rect) {
  cairo_save(cr_);
  RectPath(cr_, rect);
  cairo_clip(cr_);
  ++clip_depth_;
}

void RenderContext::PushRoundClip(const UiRect& rect, UiSize round) {
  cairo_save(cr_);
  RoundRectPath(cr_, rect, round);
  cairo_clip(cr_);
  ++clip_depth_;
}

void RenderContext::PopClip() {
  if (clip_depth_ == 0) return;
  cairo_restore(cr_);
  --clip_depth_;
}

UiRect RenderContext::GetClipBox() const {
  double x1, y1, x2, y2;
  cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
  return {static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
          static_cast<int>(y2)};
}

void RenderContext::PushAlpha(uint8_t alpha) {
  cairo_push_group(cr_);
  alpha_stack_.push_back(alpha);
}

void RenderContext::PopAlpha() {
  if (alpha_stack_.empty()) return;
  uint8_t alpha = alpha_stack_.back();
  alpha_stack_.pop_back();
  cairo_pop_group_to_source(cr_);
  cairo_paint_with_alpha(cr_, alpha / 255.0);
}

void RenderContext::FillRect(const UiRect& rect, uint32_t argb) {
  if ((argb >> 24) == 0 || rect.IsEmpty()) return;
  SetSource(cr_, argb);
  RectPath(cr_, rect);
  cairo_fill(cr_);
}

void RenderContext::FillRoundRect(const UiRect& rect, UiSize round, uint32_t argb) {
  if ((argb >> 24) == 0 || rect.IsEmpty()) return;
  SetSource(cr_, argb);
  RoundRectPath(cr_, rect, round);
  cairo_fill(cr_);
}

void RenderContext::DrawBorder(const UiRect& r, const UiRect& w, uint32_t argb) {
  if ((argb >> 24) == 0) return;
  FillRect({r.left, r.top, r.right, r.top + w.top}, argb);
  FillRect({r.left, r.bottom - w.bottom, r.right, r.bottom}, argb);
  FillRect({r.left, r.top + w.top, r.left + w.left, r.bottom - w.bottom}, argb);
  FillRect({r.right - w.right, r.top + w.top, r.right, r.bottom - w.bottom}, argb);
}

void RenderContext::DrawRoundBorder(const UiRect& rect, UiSize round, int width, uint32_t argb) {
  if ((argb >> 24) == 0 || width <= 0) return;
  SetSource(cr_, argb);
  double half = width / 2.0;
  cairo_save(cr_);
  cairo_translate(cr_, half, half);
  RoundRectPath(cr_, {rect.left, rect.top, rect.right - width, rect.bottom - width}, round);
  cairo_restore(cr_);
  cairo_set_line_width(cr_, width);
  cairo_stroke(cr_);
}

void RenderContext::DrawLine(UiPoint from, UiPoint to, int width, uint32_t argb) {
  if ((argb >> 24) == 0 || width <= 0) return;
  SetSource(cr_, argb);
  cairo_set_line_width(cr_, width);
  cairo_move_to(cr_, from.x + 0.5, from.y + 0.5);
  cairo_line_to(cr_, to.x + 0.5, to.y + 0.5);
  cairo_stroke(cr_);
}

void RenderContext::DrawImage(const ImageInfo& image, const ImageDrawParams& p) {
  if (p.dest.IsEmpty() || p.alpha == 0) return;
  UiRect src = p.source.IsEmpty() ? UiRect{0, 0, image.width(), image.height()} : p.source;
  src = src.Intersect({0, 0, image.width(), image.height()});
  if (src.IsEmpty()) return;
  const double alpha = p.alpha / 255.0;
  cairo_surface_t* picture = image.surface();
  const UiRect& c = p.corner;
  if (c.IsZero()) {
    DrawPiece(cr_, picture, src, p.dest, alpha, p.xtiled, p.ytiled);
    return;
  }
  // Nine-grid: corners keep their size, edges stretch along one axis, the
  // middle along both.
  const UiRect& d = p.dest;
  int sx[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
  int sy[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
  int dx[4] = {d.left, d.left + c.left, d.right - c.right, d.right};
  int dy[4] = {d.top, d.top + c.top, d.bottom - c.bottom, d.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      bool middle = row == 1 && col == 1;
      DrawPiece(cr_, picture, {sx[col], sy[row], sx[col + 1], sy[row + 1]},
                {dx[col], dy[row], dx[col + 1], dy[row + 1]}, alpha, middle && p.xtiled,
                middle && p.ytiled);
    }
  }
}

void RenderContext::DrawText(const std::wstring& text, const UiRect& rect,
                             const std::wstring& font_id, uint32_t argb, unsigned style) {
  if (text.empty() || (argb >> 24) == 0 || rect.Width() <= 0) return;
  PangoLayout* layout =
      CreateTextLayout(pango_, text, font_id, style, rect.Width(), rect.Height());
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);

  int x = rect.left;
  if (style & kTextSingleLine) {
    int text_width = std::min(logical.width, rect.Width());
    if (style & kTextCenter) x = rect.left + (rect.Width() - text_width) / 2;
    else if (style & kTextRight) x = rect.right - text_width;
  }
  int y = rect.top;
  if (style & kTextVCenter) y = rect.top + (rect.Height() - logical.height) / 2;
  else if (style & kTextBottom) y = rect.bottom - logical.height;

  cairo_save(cr_);
  if (!(style & kTextNoClip)) {
    RectPath(cr_, rect);
    cairo_clip(cr_);
  }
  SetSource(cr_, argb);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout);
  cairo_restore(cr_);
  g_object_unref(layout);
}

uint32_t RenderContext::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
  uint32_t a = p >> 24;
  if (a == 0) return 0;
  auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}

UiSize MeasureText(const std::wstring& text, const std::wstring& font_id, unsigned style,
                   int max_width) {
  if (text.empty()) return {0, 0};
  // Measuring ignores the ellipsis: the natural size is wanted.
  PangoLayout* layout = CreateTextLayout(MeasureContext(), text, font_id,
                                         style & ~static_cast<unsigned>(kTextEndEllipsis),
                                         (style & kTextSingleLine) ? 0 : max_width, 0);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return {logical.width, logical.height};
}

}  // namespace ui
