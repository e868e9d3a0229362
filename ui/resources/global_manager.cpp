#include "ui/resources/global_manager.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "ui/resources/global_state.h"
#include "ui/resources/language_strings.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/resource_path.h"

namespace ui {
namespace {

std::string DiskPath(const std::wstring& path) {
  std::wstring native = path;
  for (wchar_t& c : native) {
    if (c == L'\\') c = L'/';
  }
  return Utf16ToUtf8(native);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// MulDiv: the product in 64 bits, rounded half away from zero. Unlike the
// system's, it saturates: an overflow reading -1 would mean "stretch".
int MulDiv(int value, int numerator, int denominator) {
  const int64_t product = static_cast<int64_t>(value) * numerator;
  const int64_t half = denominator / 2;
  const int64_t rounded = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
  return static_cast<int>(std::clamp<int64_t>(rounded, INT32_MIN, INT32_MAX));
}

}  // namespace

GlobalState& Globals() {
  static GlobalState* state = new GlobalState;
  return *state;
}

bool FileExistsOnDisk(const std::wstring& path) {
  const std::string native = DiskPath(path);
  struct stat info {};
  return !native.empty() && ::stat(native.c_str(), &info) == 0;
}

bool ReadFileFromDisk(const std::wstring& path, std::string& out) {
  out.clear();
  const std::string native = DiskPath(path);
  struct stat info {};
  if (native.empty() || ::stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  std::ifstream file(native, std::ios::binary);
  if (!file) return false;
  out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

bool ParseColorLiteral(const std::wstring& value, uint32_t* argb) {
  if (value.empty() || value[0] != L'#') return false;
  const size_t digits = value.size() - 1;
  if (digits != 6 && digits != 8) return false;
  uint32_t result = 0;
  for (size_t i = 1; i < value.size(); ++i) {
    const int digit = HexDigit(value[i]);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<uint32_t>(digit);
  }
  if (digits == 6) result |= 0xFF000000u;
  if (argb != nullptr) *argb = result;
  return true;
}

void GlobalManager::SetResourcePath(const std::wstring& root) {
  Globals().resource_path = WithTrailingSeparator(root);
}
const std::wstring& GlobalManager::GetResourcePath() { return Globals().resource_path; }

void GlobalManager::SetThemePath(const std::wstring& folder) {
  Globals().theme_path = WithTrailingSeparator(folder);
}
const std::wstring& GlobalManager::GetThemePath() { return Globals().theme_path; }

void GlobalManager::SetLanguagePath(const std::wstring& folder) {
  std::wstring path = folder;
  while (!path.empty() && (path.back() == L'/' || path.back() == L'\\')) path.pop_back();
  Globals().language_path = path;
}
const std::wstring& GlobalManager::GetLanguagePath() { return Globals().language_path; }

std::wstring GlobalManager::GetLanguageFilePath() {
  return NormalizeResourcePath(WithTrailingSeparator(Globals().language_path) + kLanguageFileName);
}

bool GlobalManager::ResourceExists(const std::wstring& full_path) {
  if (full_path.empty()) return false;
  if (ResourcePackage::IsOpen() && IsRelativeResourcePath(full_path)) return ResourcePackage::Exists(full_path);
  return FileExistsOnDisk(full_path);
}

std::wstring GlobalManager::GetResFullPath(const std::wstring& window_res_folder, const std::wstring& path) {
  if (!IsRelativeResourcePath(path)) return path;
  const std::wstring& theme = Globals().theme_path;
  if (!window_res_folder.empty()) {
    const std::wstring local = NormalizeResourcePath(theme + WithTrailingSeparator(window_res_folder) + path);
    if (ResourceExists(local)) return local;
  }
  return NormalizeResourcePath(theme + path);
}

bool GlobalManager::ReadResource(const std::wstring& full_path, std::string& out) {
  out.clear();
  if (full_path.empty()) return false;
  // An absolute path can never be a package entry, so it is read from disk.
  if (ResourcePackage::IsOpen() && IsRelativeResourcePath(full_path)) {
    return ResourcePackage::GetData(full_path, out);
  }
  return ReadFileFromDisk(full_path, out);
}

bool GlobalManager::AddTextColor(const std::wstring& name, const std::wstring& value) {
  uint32_t argb = 0;
  if (!ParseColorLiteral(value, &argb)) return false;
  AddTextColor(name, argb);
  return true;
}

void GlobalManager::AddTextColor(const std::wstring& name, uint32_t argb) { Globals().text_colors[name] = argb; }

uint32_t GlobalManager::GetTextColor(const std::wstring& name) {
  const auto& colors = Globals().text_colors;
  const auto found = colors.find(name);
  return found == colors.end() ? 0 : found->second;
}

void GlobalManager::AddClass(const std::wstring& name, const std::wstring& attribute_list) {
  Globals().classes[name] = attribute_list;
}

std::wstring GlobalManager::GetClassAttributes(const std::wstring& name) {
  const auto& classes = Globals().classes;
  const auto found = classes.find(name);
  return found == classes.end() ? std::wstring() : found->second;
}

void GlobalManager::LoadLanguageStrings(const std::string& data) { ParseLanguageStrings(data, Globals().strings); }

bool GlobalManager::LoadLanguageFile(const std::wstring& full_path) {
  std::string data;
  if (!ReadResource(full_path, data)) return false;
  LoadLanguageStrings(data);
  return true;
}

std::wstring GlobalManager::GetText(const std::wstring& id) {
  if (id.empty()) return {};
  const auto& strings = Globals().strings;
  const auto found = strings.find(id);
  if (found == strings.end()) return {};
  const std::wstring& stored = found->second;
  std::wstring text;
  text.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == L'\\' && i + 1 < stored.size() && (stored[i + 1] == L'r' || stored[i + 1] == L'n')) {
      text.push_back(stored[i + 1] == L'r' ? L'\r' : L'\n');
      ++i;
    } else {
      text.push_back(stored[i]);
    }
  }
  return text;
}

int GlobalManager::GetScale() { return Globals().scale; }

void GlobalManager::SetScale(int percent) {
  GlobalState& state = Globals();
  if (percent <= 0) return;
  if (state.scale_limit > 0 && state.scale_limit <= percent) percent = state.scale_limit;
  state.scale = percent;
}

void GlobalManager::SetScaleLimit(int percent) { Globals().scale_limit = percent > 0 ? percent : -1; }

bool GlobalManager::IsAdapted() { return Globals().adapted; }
void GlobalManager::SetAdapted(bool adapted) { Globals().adapted = adapted; }

int GlobalManager::ScaleValue(int value) {
  const GlobalState& state = Globals();
  if (!state.adapted || state.scale == 100) return value;
  return MulDiv(value, state.scale, 100);
}

void GlobalManager::Shutdown() {
  ReleaseFontFiles();
  // Images still held elsewhere stay valid; their deleters find no entry.
  GlobalState& state = Globals();
  state = GlobalState();
}

}  // namespace ui
