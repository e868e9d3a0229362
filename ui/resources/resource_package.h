// The process's resource package: the zip archive that holds the theme,
// opened from memory (normally the archive embedded in the executable).
//
// Exactly one package can be open; opening another closes the previous one.
// Every operation records its result code in a process-wide last-result value.
// Threads: UI thread only, no locks.
// Shutdown: Close() releases the archive copy and the existence cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/resources/zip_reader.h"

namespace ui {

struct PackageFindResult {
  uint32_t result = kZipNoPackage;
  int index = -1;
  ZipEntryInfo info;
};

class ResourcePackage {
 public:
  // The package has no password support; a non-empty password is refused
  // with kZipCannotOpen. Returns true when the package is open.
  static bool Open(const void* data, size_t size, const std::string& password = {});
  static void Close();
  static bool IsOpen();

  // Looks `path` up as given (converted to UTF-8, no path normalisation).
  static PackageFindResult FindEntry(const std::wstring& path);
  // Reads the whole entry `index`.
  static uint32_t ReadEntry(int index, std::string& out);

  // The whole content of the entry of resource path `path` (converted with
  // ToPackagePath). False when no package is open, the path is absolute or
  // empty, the entry is missing or it cannot be decoded.
  static bool GetData(const std::wstring& path, std::string& out);

  // Whether the entry of resource path `path` exists. Positive answers are
  // cached by path; false when no package is open or the path is empty.
  static bool Exists(const std::wstring& path);

  static uint32_t LastResult();
};

}  // namespace ui
