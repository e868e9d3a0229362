#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/text.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/global_state.h"
#include "ui/resources/resource_package.h"

namespace ui {
namespace {

// Writes `bytes` to a new private file in $TMPDIR (or /tmp), keeping the
// font's extension so fontconfig recognises the format. Empty on failure.
std::string WriteTemporaryFontFile(const std::string& bytes, const std::wstring& file) {
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/fleetsync-font-XXXXXX";
  std::string extension;
  const size_t dot = file.rfind(L'.');
  if (dot != std::wstring::npos && file.find_first_of(L"/\\", dot) == std::wstring::npos) {
    extension = Utf16ToUtf8(file.substr(dot));
  }
  path += extension;
  const int fd = ::mkstemps(path.data(), static_cast<int>(extension.size()));
  if (fd < 0) return {};
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    written += static_cast<size_t>(n);
  }
  const bool closed = ::close(fd) == 0;
  if (written != bytes.size() || !closed) {
    ::unlink(path.c_str());
    return {};
  }
  return path;
}

// Pango caches the font set of the fontconfig configuration it started with.
void TellPangoFontsChanged() {
  PangoFontMap* map = pango_cairo_font_map_get_default();
  if (PANGO_IS_FC_FONT_MAP(map)) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(map));
}

}  // namespace

bool GlobalManager::AddFont(const std::wstring& id, const std::wstring& face, int size, bool bold, bool underline,
                            bool strikeout, bool italic, bool is_default, int weight) {
  GlobalState& state = Globals();
  const std::wstring key = id.empty() ? std::to_wstring(state.fonts.size()) : id;
  const int pixel_size = ScaleValue(size);
  if (pixel_size <= 0) return false;

  FontInfo font;
  font.face = (face.empty() || face == L"system") ? std::wstring(kSystemFontFace) : face;
  font.pixel_size = pixel_size;
  font.bold = bold;
  font.weight = weight != 0 ? weight : (bold ? kFontWeightBold : kFontWeightNormal);
  font.underline = underline;
  font.strikeout = strikeout;
  font.italic = italic;
  const bool added = state.fonts.emplace(key, std::move(font)).second;
  if (is_default) state.default_font_id = key;
  return added;
}

const FontInfo* GlobalManager::GetFont(const std::wstring& id) {
  const GlobalState& state = Globals();
  const auto found = state.fonts.find(id.empty() ? state.default_font_id : id);
  return found == state.fonts.end() ? nullptr : &found->second;
}

const std::wstring& GlobalManager::GetDefaultFontId() { return Globals().default_font_id; }

bool GlobalManager::AddFontFile(const std::wstring& file, const std::wstring& name) {
  GlobalState& state = Globals();
  const std::wstring path = GetResFullPath(L"", L"font/" + file);
  std::string native_path;
  bool temporary = false;
  if (ResourcePackage::IsOpen()) {
    std::string bytes;
    if (!ResourcePackage::GetData(path, bytes) || bytes.empty()) return false;
    native_path = WriteTemporaryFontFile(bytes, file);
    if (native_path.empty()) return false;
    temporary = true;
  } else {
    if (!FileExistsOnDisk(path)) return false;
    native_path = Utf16ToUtf8(path);
    for (char& c : native_path) {
      if (c == '\\') c = '/';
    }
  }
  if (!FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(native_path.c_str()))) {
    if (temporary) ::unlink(native_path.c_str());
    return false;
  }
  if (temporary) state.temporary_font_files.push_back(native_path);
  state.font_file_paths.push_back(path);
  state.font_names.push_back(name);
  TellPangoFontsChanged();
  return true;
}

void ReleaseFontFiles() {
  GlobalState& state = Globals();
  if (!state.font_file_paths.empty()) {
    FcConfigAppFontClear(nullptr);
    TellPangoFontsChanged();
  }
  for (const std::string& path : state.temporary_font_files) ::unlink(path.c_str());
  state.temporary_font_files.clear();
  state.font_file_paths.clear();
  state.font_names.clear();
}

}  // namespace ui
