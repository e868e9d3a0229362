// Read-only zip archive over a memory block.
//
// The reader checks every structure it touches against the block: the end
// record, each central header, each local header and the name, extra and
// comment lengths behind them. Stored (method 0) and deflated (method 8)
// entries are decoded; a deflated entry must inflate to exactly its declared
// size, end its stream there and match its CRC. Nothing is read past the block
// and, beyond the copy of the block, no allocation exceeds kMaxEntrySize.
//
// Threads: an instance is not locked; use it from one thread at a time.
// Ownership: the reader keeps its own copy of the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// Result codes of package operations.
enum ZipResult : uint32_t {
  kZipOk = 0x00000000,
  kZipCannotOpen = 0x00000200,   // not a zip archive, or its directory is damaged
  kZipNotFound = 0x00000500,     // no entry of that name (or index)
  kZipMoreData = 0x00000600,     // part of the entry was read; more remains
  // Entry data that cannot be decoded: damaged local header, a stream that
  // overruns or ends early, a CRC mismatch, encryption or an unknown method.
  kZipBadEntry = 0x00000700,
  // Declared size above kMaxEntrySize (e.g. a zip bomb); nothing was allocated.
  kZipEntryTooLarge = 0x00000800,
  kZipNoPackage = 0x00010000,    // no package is open
  kZipNotForReading = 0x00080000,
};

// Largest uncompressed entry the reader will allocate. Theme files are a few
// hundred kilobytes at most; 64 MiB leaves room for big pictures while keeping
// a forged size field from claiming gigabytes.
inline constexpr uint64_t kMaxEntrySize = 64ull * 1024 * 1024;

// Entry names of this many bytes or more are never found.
inline constexpr size_t kMaxEntryNameBytes = 256;

struct ZipEntryInfo {
  int index = -1;
  std::string name;             // as stored, UTF-8 with "/" separators
  uint16_t method = 0;
  uint16_t flags = 0;
  uint32_t crc32 = 0;
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
  uint64_t local_header_offset = 0;
  bool is_directory() const { return !name.empty() && name.back() == '/'; }
};

class ZipReader {
 public:
  ZipReader() = default;

  // Parses the directory of `data`. On failure the reader is closed and
  // kZipCannotOpen is returned.
  ZipResult Open(const void* data, size_t size);
  void Close();
  bool IsOpen() const { return open_; }

  // First entry whose name equals `name` ASCII-case-insensitively, compared
  // over the stored length. Names of kMaxEntryNameBytes or more never match.
  ZipResult Find(std::string_view name, ZipEntryInfo* info) const;

  // The whole decoded content of entry `index`.
  ZipResult Read(int index, std::string& out) const;

  size_t entry_count() const { return entries_.size(); }
  const ZipEntryInfo& entry(int index) const { return entries_.at(index); }

 private:
  ZipResult ParseDirectory();

  std::vector<unsigned char> block_;
  std::vector<ZipEntryInfo> entries_;
  bool open_ = false;
};

}  // namespace ui
