// Start-up and shutdown of the UI framework.
//
// Startup, in this order: resource root and theme folder (root + theme name),
// the process-wide control-creation callback, the DPI state (the process
// counts as adapted and the scale follows the screen's DPI), "global.xml"
// through the markup builder into the global tables, and the language
// strings of root + language name. Call it on the UI thread after opening
// the resource package (or without one to read the resources/ tree from
// disk). Shutdown empties every table and cache again.
#pragma once

#include <string>

#include "ui/markup/layout_builder.h"

namespace ui {

struct StartupOptions {
  // Dots per inch of the screen; 96 is 100 %.
  int system_dpi = 96;
  // Upper limit of the UI scale in percent, -1 for none.
  int scale_limit = -1;
};

// Returns false when "global.xml" could not be loaded (the framework still
// works, with empty tables).
bool Startup(const std::wstring& resource_root, LayoutBuilder::CreateControlCallback callback,
             const std::wstring& theme, const std::wstring& language,
             const StartupOptions& options = {});
void Shutdown();

}  // namespace ui
