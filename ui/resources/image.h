// A decoded picture: a Cairo image surface (ARGB32, premultiplied) and its
// size in pixels.
//
// Ownership: an ImageInfo owns its surface and releases it when destroyed.
// Images are shared through GlobalManager::GetImage; a control keeps the
// shared reference for as long as it draws the picture.
// Threads: UI thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

typedef struct _cairo_surface cairo_surface_t;

namespace ui {

class ImageInfo {
 public:
  // Takes over one reference of `surface`, which must be an image surface.
  explicit ImageInfo(cairo_surface_t* surface);
  ~ImageInfo();
  ImageInfo(const ImageInfo&) = delete;
  ImageInfo& operator=(const ImageInfo&) = delete;

  // Decodes PNG bytes; null when they are not a readable PNG.
  static std::unique_ptr<ImageInfo> DecodePng(std::string_view bytes);

  cairo_surface_t* surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  cairo_surface_t* surface_;
  int width_;
  int height_;
};

}  // namespace ui
