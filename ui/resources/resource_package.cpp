#include "ui/resources/resource_package.h"

#include <unordered_set>

#include "base/text.h"
#include "ui/resources/resource_path.h"

namespace ui {
namespace {

// The one package of the process (UI thread only).
struct PackageState {
  ZipReader reader;
  std::unordered_set<std::wstring> known_paths;
  uint32_t last_result = kZipOk;
};

PackageState& State() {
  static PackageState* state = new PackageState;
  return *state;
}

// Find with the result recorded; `name` is the UTF-8 entry name.
uint32_t FindByName(const std::wstring& path, ZipEntryInfo* info) {
  PackageState& state = State();
  if (!state.reader.IsOpen()) return state.last_result = kZipNoPackage;
  const std::string name = Utf16ToUtf8(path);
  // A failed conversion or an over-long name is simply not in the package.
  if (name.empty() || name.size() >= kMaxEntryNameBytes) return state.last_result = kZipNotFound;
  return state.last_result = state.reader.Find(name, info);
}

}  // namespace

bool ResourcePackage::Open(const void* data, size_t size, const std::string& password) {
  Close();
  PackageState& state = State();
  if (!password.empty()) {
    state.last_result = kZipCannotOpen;
    return false;
  }
  state.last_result = state.reader.Open(data, size);
  return state.reader.IsOpen();
}

void ResourcePackage::Close() {
  PackageState& state = State();
  state.reader.Close();
  state.known_paths.clear();
}

bool ResourcePackage::IsOpen() { return State().reader.IsOpen(); }

PackageFindResult ResourcePackage::FindEntry(const std::wstring& path) {
  PackageFindResult found;
  found.result = FindByName(path, &found.info);
  if (found.result == kZipOk) found.index = found.info.index;
  return found;
}

uint32_t ResourcePackage::ReadEntry(int index, std::string& out) {
  PackageState& state = State();
  if (!state.reader.IsOpen()) {
    out.clear();
    return state.last_result = kZipNoPackage;
  }
  return state.last_result = state.reader.Read(index, out);
}

bool ResourcePackage::GetData(const std::wstring& path, std::string& out) {
  out.clear();
  if (!IsOpen()) {
    State().last_result = kZipNoPackage;
    return false;
  }
  const std::wstring package_path = ToPackagePath(path);
  if (package_path.empty()) {
    State().last_result = kZipNotFound;
    return false;
  }
  const PackageFindResult found = FindEntry(package_path);
  if (found.result != kZipOk) return false;
  const uint32_t result = ReadEntry(found.index, out);
  return result == kZipOk || result == kZipMoreData;
}

bool ResourcePackage::Exists(const std::wstring& path) {
  PackageState& state = State();
  if (!state.reader.IsOpen() || path.empty()) return false;
  if (state.known_paths.count(path) != 0) return true;
  const std::wstring package_path = ToPackagePath(path);
  if (package_path.empty() || FindByName(package_path, nullptr) != kZipOk) return false;
  state.known_paths.insert(path);
  return true;
}

uint32_t ResourcePackage::LastResult() { return State().last_result; }

}  // namespace ui
