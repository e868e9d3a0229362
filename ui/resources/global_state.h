// The tables behind GlobalManager (internal to ui/resources).
// UI thread only. The state lives for the whole process; Shutdown() empties it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/resources/font_info.h"
#include "ui/resources/image.h"

namespace ui {

struct GlobalState {
  std::wstring resource_path;
  std::wstring theme_path;
  std::wstring language_path;

  std::map<std::wstring, FontInfo> fonts;
  std::wstring default_font_id;
  std::map<std::wstring, uint32_t> text_colors;
  std::map<std::wstring, std::wstring> classes;
  std::map<std::wstring, std::wstring> strings;

  std::vector<std::wstring> font_file_paths;
  std::vector<std::wstring> font_names;
  // Files written for fonts that came from the package; removed at shutdown.
  std::vector<std::string> temporary_font_files;

  std::map<std::wstring, std::weak_ptr<ImageInfo>> images;

  int scale = 100;
  int scale_limit = -1;
  bool adapted = false;
};

// Never destroyed, so that image deleters running late still find it.
GlobalState& Globals();

// Disk helpers for resource paths ("/" or "\" separators).
bool FileExistsOnDisk(const std::wstring& path);
bool ReadFileFromDisk(const std::wstring& path, std::string& out);

// Unregisters the font files added with AddFontFile and deletes the
// temporary copies of package fonts.
void ReleaseFontFiles();

}  // namespace ui
