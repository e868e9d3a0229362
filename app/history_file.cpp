#include "app/history_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "base/text.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Another writer may rotate or remove the file between our open and our
// lock - several times over, as flock is not fair and a busy file fills up
// while we wait. After this many fresh opens in a row something else keeps
// replacing it.
constexpr int kMaxOpens = 64;

std::string Reason(const std::string& what, int error_number) {
  return what + ": " + std::generic_category().message(error_number);
}

// Holds an exclusive flock on a descriptor for its lifetime.
class FileLock {
 public:
  explicit FileLock(int fd) : fd_(fd) {
    int result;
    do {
      result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    locked_ = result == 0;
  }
  ~FileLock() {
    if (locked_) ::flock(fd_, LOCK_UN);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool locked() const { return locked_; }

 private:
  int fd_;
  bool locked_ = false;
};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::wstring OldHistoryPath(const std::wstring& path) {
  const size_t name_start = path.find_last_of(L'/') + 1;  // npos + 1 == 0
  const size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || dot <= name_start) return path + L".1";
  return path.substr(0, dot) + L".1" + path.substr(dot);
}

HistoryFile::HistoryFile(std::wstring path, std::string_view header,
                         std::uint64_t rotate_at_bytes)
    : path_(std::move(path)),
      path_bytes_(Utf16ToUtf8(path_)),
      header_(std::string(kByteOrderMark) + std::string(header) + "\n"),
      rotate_at_bytes_(rotate_at_bytes) {}

bool HistoryFile::Append(std::string_view record, std::string* error) {
  if (path_bytes_.empty()) {
    *error = "no place for the history file";
    return false;
  }
  for (int opens = 0; opens < kMaxOpens; ++opens) {
    if (!fd_.valid()) {
      fd_.Reset(::open(path_bytes_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
      if (!fd_.valid()) {
        *error = Reason("cannot open " + path_bytes_, errno);
        return false;
      }
    }
    switch (AppendLocked(record, error)) {
      case Step::kWritten: return true;
      case Step::kFailed: fd_.Reset(); return false;
      case Step::kReopen: fd_.Reset(); break;
    }
  }
  *error = path_bytes_ + " keeps being replaced by another writer";
  return false;
}

HistoryFile::Step HistoryFile::AppendLocked(std::string_view record, std::string* error) {
  FileLock lock(fd_.get());
  // Some network and user-space file systems have no locks: there the
  // appends still never interleave, only the header and the rotation lose
  // their guard against a second writer at the same moment.
  if (!lock.locked() && errno != ENOLCK && errno != EOPNOTSUPP) {
    *error = Reason("cannot lock " + path_bytes_, errno);
    return Step::kFailed;
  }
  struct stat held {};
  struct stat named {};
  if (::fstat(fd_.get(), &held) != 0) {
    *error = Reason("cannot examine " + path_bytes_, errno);
    return Step::kFailed;
  }
  // Rotated or removed by another writer since we opened it.
  if (::stat(path_bytes_.c_str(), &named) != 0 || !SameFile(held, named)) return Step::kReopen;

  const auto size = static_cast<std::uint64_t>(held.st_size);
  if (size >= rotate_at_bytes_ && size > header_.size()) {
    const std::string old_path = Utf16ToUtf8(OldHistoryPath(path_));
    if (::rename(path_bytes_.c_str(), old_path.c_str()) != 0) {
      *error = Reason("cannot rename " + path_bytes_ + " to " + old_path, errno);
      return Step::kFailed;
    }
    return Step::kReopen;
  }

  std::string bytes;
  if (size == 0) {
    bytes = header_;
  } else {
    char last = '\n';
    if (::pread(fd_.get(), &last, 1, held.st_size - 1) == 1 && last != '\n') bytes = "\n";
  }
  bytes += record;
  const ssize_t written = ::write(fd_.get(), bytes.data(), bytes.size());
  if (written != static_cast<ssize_t>(bytes.size())) {
    // A short write leaves a cut line, which the next record starts after.
    *error = written < 0 ? Reason("cannot write " + path_bytes_, errno)
                         : "cannot write " + path_bytes_ + ": only part of a record fit";
    return Step::kFailed;
  }
  return Step::kWritten;
}
