// The window icon from a picture of the resource package: the picture scaled
// to each asked size in the straight ARGB the window manager expects.
// Threads: UI thread (the image cache is the UI thread's).
#pragma once

#include <initializer_list>
#include <vector>

#include "platform/x11/native_window.h"

namespace ui {

class ImageInfo;

std::vector<platform::x11::NativeWindow::IconPicture> IconPictures(const ImageInfo& image,
                                                                   std::initializer_list<int> sizes);

}  // namespace ui
