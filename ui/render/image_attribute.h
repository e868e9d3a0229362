// Image descriptors of the markup and the pictures they name.
//
// A descriptor is a plain relative path ("../public/option/selected.png") or
// items  key='value'  separated by white space: file/res (path), dest, source,
// corner (rectangles), fade (0-255), xtiled, ytiled, fullxtiled, fullytiled,
// destscale (booleans), tiledmargin, playcount (integers). UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/core/geometry.h"

namespace ui {

class ImageInfo;

struct ImageAttribute {
  std::wstring descriptor;  // the text as written
  std::wstring path;
  bool has_dest = false;
  UiRect dest;  // inside the control, scaled when dest_scale
  bool has_source = false;
  UiRect source;  // picture pixels
  UiRect corner;  // nine-grid corners, picture pixels
  uint8_t fade = 255;
  bool xtiled = false;
  bool ytiled = false;
  bool full_xtiled = false;
  bool full_ytiled = false;
  int tiled_margin = 0;
  bool dest_scale = true;
  int play_count = -1;

  static ImageAttribute Parse(const std::wstring& descriptor);
};

// A descriptor and its picture, loaded on first use through the global image
// cache relative to the window's resource folder.
class Image {
 public:
  void SetDescriptor(const std::wstring& descriptor);
  const ImageAttribute& attribute() const { return attribute_; }
  bool IsEmpty() const { return attribute_.path.empty(); }
  // The picture, or null when it cannot be loaded (tried once per descriptor).
  ImageInfo* Load(const std::wstring& resource_folder);

 private:
  ImageAttribute attribute_;
  std::shared_ptr<ImageInfo> info_;
  bool tried_ = false;
};

}  // namespace ui
