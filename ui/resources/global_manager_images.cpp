#include <cwctype>
#include <string>

#include "ui/resources/global_manager.h"
#include "ui/resources/global_state.h"

namespace ui {
namespace {

bool HasSvgExtension(const std::wstring& path) {
  if (path.size() < 4) return false;
  std::wstring extension = path.substr(path.size() - 4);
  for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
  return extension == L".svg";
}

}  // namespace

std::wstring GlobalManager::GetDpiImagePath(const std::wstring& full_path) {
  const int scale = GetScale();
  if (!IsAdapted() || scale == 100 || full_path.empty() || HasSvgExtension(full_path)) return full_path;
  const size_t name_start = full_path.find_last_of(L"/\\") == std::wstring::npos ? 0 : full_path.find_last_of(L"/\\") + 1;
  const size_t dot = full_path.rfind(L'.');
  const size_t stem_end = (dot == std::wstring::npos || dot < name_start) ? full_path.size() : dot;
  const std::wstring variant = full_path.substr(0, stem_end) + L'@' + std::to_wstring(scale) + full_path.substr(stem_end);
  return ResourceExists(variant) ? variant : full_path;
}

std::shared_ptr<ImageInfo> GlobalManager::GetImage(const std::wstring& full_path) {
  if (full_path.empty()) return nullptr;
  const std::wstring resolved = GetDpiImagePath(full_path);
  auto& cache = Globals().images;
  if (const auto found = cache.find(resolved); found != cache.end()) {
    if (std::shared_ptr<ImageInfo> live = found->second.lock()) return live;
  }

  std::string bytes;
  if (!ReadResource(resolved, bytes)) return nullptr;
  std::unique_ptr<ImageInfo> decoded = ImageInfo::DecodePng(bytes);
  if (!decoded) return nullptr;

  // The last holder's release drops the cache entry, unless the cache was
  // emptied (shutdown) or the path was loaded again meanwhile.
  std::shared_ptr<ImageInfo> image(decoded.release(), [resolved](ImageInfo* info) {
    auto& images = Globals().images;
    const auto entry = images.find(resolved);
    if (entry != images.end() && entry->second.expired()) images.erase(entry);
    delete info;
  });
  cache[resolved] = image;
  return image;
}

}  // namespace ui
