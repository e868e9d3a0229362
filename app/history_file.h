// HistoryFile: appends records to a CSV file that several writers may share -
// the window and the command-line driver, or two copies of either.
//
// Every Append holds an exclusive flock(2) on the file while it looks at the
// file and writes, so for all writers alike:
//   - an empty (or new) file first gets the UTF-8 byte-order mark, which
//     spreadsheet programs need to show the Chinese texts, and the header;
//   - a file whose last line has no line break (cut by a crash or a full
//     disk) gets one first, so the cut line stays a line of its own;
//   - a file that has reached `rotate_at_bytes` is renamed to its old-file
//     name (OldHistoryPath: one old file kept, the one before it replaced)
//     and a new file is started.
// What goes in front of a record and the record itself are one write(2) to a
// descriptor opened with O_APPEND, so no record ever runs into another.
//
// A writer that finds its file renamed or removed by another writer opens
// the file at the path anew.
//
// Threads: one thread at a time (the fleet record's writer thread). Every call
// does file I/O and may wait for another writer's lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

// The file a full history file is renamed to: "history.csv" ->
// "history.1.csv"; a name without an extension gets ".1" appended.
std::wstring OldHistoryPath(const std::wstring& path);

class HistoryFile {
 public:
  static constexpr std::uint64_t kRotateAtBytes = 10 * 1024 * 1024;

  // Opens nothing yet; the first Append does.
  HistoryFile(std::wstring path, std::string_view header,
              std::uint64_t rotate_at_bytes = kRotateAtBytes);

  // Appends one record: a whole line, with its line break. False with a
  // one-line reason in `error` when it could not be written (the file is
  // opened again on the next call).
  bool Append(std::string_view record, std::string* error);

  const std::wstring& path() const { return path_; }

 private:
  enum class Step { kWritten, kReopen, kFailed };
  Step AppendLocked(std::string_view record, std::string* error);

  const std::wstring path_;
  const std::string path_bytes_;
  const std::string header_;
  const std::uint64_t rotate_at_bytes_;
  platform::UniqueFd fd_;
};
