#include "ui/resources/image.h"

#include <cairo.h>

#include <cstring>

namespace ui {
namespace {

struct PngSource {
  std::string_view bytes;
  size_t offset = 0;
};

cairo_status_t ReadPngBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* source = static_cast<PngSource*>(closure);
  if (source->bytes.size() - source->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, source->bytes.data() + source->offset, length);
  source->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

ImageInfo::ImageInfo(cairo_surface_t* surface)
    : surface_(surface),
      width_(cairo_image_surface_get_width(surface)),
      height_(cairo_image_surface_get_height(surface)) {}

ImageInfo::~ImageInfo() { cairo_surface_destroy(surface_); }

std::unique_ptr<ImageInfo> ImageInfo::DecodePng(std::string_view bytes) {
  PngSource source{bytes};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadPngBytes, &source);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  return std::make_unique<ImageInfo>(surface);
}

}  // namespace ui
