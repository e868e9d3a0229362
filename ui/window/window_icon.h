// The window icon from a picture of the resource package: the picture scaled
// to each asked size in straight ARGB.
// Threads: UI thread (the image cache is the UI thread's).
#pragma once

#include <initializer_list>
#include <vector>

#include "ui/core/window_system.h"

namespace ui {

class ImageInfo;

std::vector<IconPicture> IconPictures(const ImageInfo& image, std::initializer_list<int> sizes);

}  // namespace ui
