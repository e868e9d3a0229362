#include "platform/data_folder.h"

#include <cstdlib>

#include "base/text.h"

namespace platform {

namespace {

std::wstring AbsolutePathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return Utf8ToUtf16(value);
}

void RemoveTrailingSlashes(std::wstring& path) {
  while (path.size() > 1 && path.back() == L'/') path.pop_back();
}

}  // namespace

std::wstring FindLocalAppDataDirectory() {
  std::wstring folder = AbsolutePathFromEnvironment("XDG_DATA_HOME");
  if (folder.empty()) {
    folder = AbsolutePathFromEnvironment("HOME");
    if (folder.empty()) return {};
    RemoveTrailingSlashes(folder);
    if (folder == L"/") folder.clear();
    folder += L"/.local/share";
  }
  RemoveTrailingSlashes(folder);
  return folder;
}

}  // namespace platform
