#include "ui/resources/resource_path.h"

#include <vector>

namespace ui {
namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

}  // namespace

bool IsRelativeResourcePath(const std::wstring& path) {
  if (!path.empty() && IsSeparator(path[0])) return false;
  const bool drive_letter = path.size() >= 2 && path[1] == L':' &&
                            ((path[0] >= L'a' && path[0] <= L'z') || (path[0] >= L'A' && path[0] <= L'Z'));
  return !drive_letter;
}

std::wstring NormalizeResourcePath(const std::wstring& path) {
  std::vector<std::wstring> components;
  std::wstring current;
  auto finish_component = [&]() {
    if (current.empty() || current == L".") {
      // Stray separators and "." components vanish.
    } else if (current == L"..") {
      // Climbing above the start of the path is clamped there.
      if (!components.empty()) components.pop_back();
    } else {
      components.push_back(current);
    }
    current.clear();
  };
  for (wchar_t c : path) {
    if (IsSeparator(c)) {
      finish_component();
    } else {
      current.push_back(c);
    }
  }
  const bool names_folder = !path.empty() && (IsSeparator(path.back()) || current == L"." || current == L"..");
  finish_component();

  std::wstring result;
  if (!path.empty() && IsSeparator(path[0])) result.push_back(L'/');
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) result.push_back(L'/');
    result += components[i];
  }
  if (names_folder && !components.empty()) result.push_back(L'/');
  return result;
}

std::wstring ToPackagePath(const std::wstring& path) {
  if (!IsRelativeResourcePath(path)) return {};
  return NormalizeResourcePath(path);
}

std::wstring WithTrailingSeparator(const std::wstring& folder) {
  if (folder.empty() || IsSeparator(folder.back())) return folder;
  return folder + L'/';
}

}  // namespace ui
