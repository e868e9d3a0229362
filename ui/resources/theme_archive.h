// The theme archive built into the program: a zip of the resources/ tree
// whose entries are named "resources/...". Link the target ui_theme_archive.
// Constant data; any thread.
#pragma once

#include <cstddef>

namespace ui {

const unsigned char* ThemeArchiveData();
size_t ThemeArchiveSize();

}  // namespace ui
