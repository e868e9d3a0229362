#include "platform/file_util.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/unique_fd.h"

namespace platform {

namespace {

bool ToNativePath(const std::wstring& path, std::string* native) {
  if (path.empty() || path.find(L'\0') != std::wstring::npos) return false;
  *native = Utf16ToUtf8(path);
  return !native->empty();
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool SyncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.valid() && ::fsync(fd.get()) == 0;
}

}  // namespace

FileReadStatus ReadFileToEnd(const std::wstring& path, std::string* out) {
  out->clear();
  std::string native;
  if (!ToNativePath(path, &native)) return FileReadStatus::kFailed;
  UniqueFd fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    return errno == ENOENT ? FileReadStatus::kMissing : FileReadStatus::kFailed;
  }
  std::string bytes;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileReadStatus::kFailed;  // also a folder: EISDIR
    }
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  *out = std::move(bytes);
  return FileReadStatus::kRead;
}

bool ReadFileBytes(const std::wstring& path, std::string* out) {
  return ReadFileToEnd(path, out) == FileReadStatus::kRead;
}

bool WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
  std::string target;
  if (!ToNativePath(path, &target)) return false;

  std::string temp = target + ".tmp-XXXXXX";
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return false;

  struct stat existing;
  bool ok = true;
  if (::stat(target.c_str(), &existing) == 0) {
    ok = ::fchmod(fd.get(), existing.st_mode & 07777) == 0;
  }
  // After a successful fsync a close cannot lose data any more.
  ok = ok && WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
  fd.Reset();
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename is in place; a failed folder flush means it may not survive a
  // power loss, which the caller must hear about.
  return SyncFolder(ParentFolder(target));
}

bool IsDirectory(const std::wstring& path) {
  std::string native;
  struct stat info;
  return ToNativePath(path, &native) && ::stat(native.c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

bool CreateDirectoryTree(const std::wstring& path) {
  std::string native;
  if (!ToNativePath(path, &native)) return false;
  // Create each level in turn; "exists" is fine as long as it is a folder,
  // which the final check establishes.
  for (std::size_t pos = native.find('/', 1); ; pos = native.find('/', pos + 1)) {
    const std::string level = native.substr(0, pos);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (pos == std::string::npos) break;
  }
  struct stat info;
  return ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace platform
