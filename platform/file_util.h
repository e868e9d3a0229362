// Whole-file reads, atomic whole-file replacement and folder creation.
//
// Paths are wide strings, encoded as UTF-8 for the system calls; a path with
// an embedded NUL character is refused (it would name a different file).
// Every call is synchronous, keeps no state and may run on any thread.
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class FileReadStatus {
  kRead,     // the whole file is in the output
  kMissing,  // no such file (or a missing folder on the way)
  kFailed,   // it exists but could not be opened or read to its end
};

// Reads the file to its end (never trusting a size taken beforehand, so a
// file that grows or shrinks meanwhile is still read whole). On anything but
// kRead the output is empty.
FileReadStatus ReadFileToEnd(const std::wstring& path, std::string* out);

// ReadFileToEnd reduced to "the bytes are there" (true) or not (false).
bool ReadFileBytes(const std::wstring& path, std::string* out);

// Replaces the file's content as one step: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the target, and
// the folder entry is flushed too. Readers, and a crash at any moment, see
// either the old content or the new one, never a mix. An existing file keeps
// its permission bits; a new one is readable by its owner only. False when
// any step fails; the old file is then left as it was.
bool WriteFileAtomically(const std::wstring& path, std::string_view bytes);

// True when the path names an existing folder (following symbolic links).
bool IsDirectory(const std::wstring& path);

// Creates the folder and every missing parent (mode 0700, as for per-user
// data). True when the path is a folder afterwards, also when it already was;
// false when it cannot be created or something other than a folder is in the
// way.
bool CreateDirectoryTree(const std::wstring& path);

}  // namespace platform
