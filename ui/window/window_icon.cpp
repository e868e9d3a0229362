#include "ui/window/window_icon.h"

#include <cairo.h>

#include "ui/resources/image.h"

namespace ui {
namespace {

// Cairo keeps premultiplied pixels; icons are straight.
uint32_t Unpremultiply(uint32_t pixel) {
  const uint32_t alpha = pixel >> 24;
  if (alpha == 0 || alpha == 255) return pixel;
  auto channel = [&](int shift) {
    const uint32_t value = (pixel >> shift) & 0xFF;
    return ((value * 255 + alpha / 2) / alpha) << shift;
  };
  return (alpha << 24) | channel(16) | channel(8) | channel(0);
}

IconPicture Scaled(const ImageInfo& image, int size) {
  IconPicture picture;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, static_cast<double>(size) / image.width(),
              static_cast<double>(size) / image.height());
  cairo_set_source_surface(cr, image.surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    picture.width = picture.height = size;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    picture.argb.reserve(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < size; ++x) picture.argb.push_back(Unpremultiply(row[x]));
    }
  }
  cairo_surface_destroy(surface);
  return picture;
}

}  // namespace

std::vector<IconPicture> IconPictures(const ImageInfo& image, std::initializer_list<int> sizes) {
  std::vector<IconPicture> pictures;
  if (image.width() <= 0 || image.height() <= 0) return pictures;
  for (int size : sizes) {
    if (size > 0) pictures.push_back(Scaled(image, size));
  }
  return pictures;
}

}  // namespace ui
