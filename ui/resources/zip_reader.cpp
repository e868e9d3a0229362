#include "ui/resources/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace ui {
namespace {

constexpr uint32_t kEndRecordSignature = 0x06054b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsAsciiCaseInsensitive(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

uint32_t Crc32(const std::string& data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // crc32 takes a 32-bit length; entries are capped well below that.
  crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  return static_cast<uint32_t>(crc);
}

// Inflates exactly `out.size()` bytes from a raw deflate stream that must end
// with the last byte of `in`'s stream and not produce anything more.
bool InflateExactly(const unsigned char* in, size_t in_size, std::string& out) {
  if (in_size > UINT_MAX) return false;
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  // zlib wants a valid output pointer even for an empty entry.
  unsigned char empty_sink = 0;
  stream.next_in = const_cast<Bytef*>(in);
  stream.avail_in = static_cast<uInt>(in_size);
  stream.next_out = out.empty() ? &empty_sink : reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int status;
  do {
    status = inflate(&stream, Z_FINISH);
  } while (status == Z_OK);
  const bool complete = status == Z_STREAM_END && stream.total_out == out.size();
  inflateEnd(&stream);
  return complete;
}

}  // namespace

ZipResult ZipReader::Open(const void* data, size_t size) {
  Close();
  if (data == nullptr || size < kEndRecordSize) return kZipCannotOpen;
  const auto* bytes = static_cast<const unsigned char*>(data);
  block_.assign(bytes, bytes + size);
  if (ParseDirectory() != kZipOk) {
    Close();
    return kZipCannotOpen;
  }
  open_ = true;
  return kZipOk;
}

void ZipReader::Close() {
  block_.clear();
  block_.shrink_to_fit();
  entries_.clear();
  open_ = false;
}

ZipResult ZipReader::ParseDirectory() {
  const unsigned char* base = block_.data();
  const size_t size = block_.size();

  // The end record sits in the last 22 + 65535 bytes; its comment must reach
  // exactly or at most to the end of the block.
  size_t end_record = SIZE_MAX;
  const size_t lowest = size - kEndRecordSize > kMaxCommentSize ? size - kEndRecordSize - kMaxCommentSize : 0;
  for (size_t pos = size - kEndRecordSize + 1; pos-- > lowest;) {
    if (Read32(base + pos) != kEndRecordSignature) continue;
    const size_t comment = Read16(base + pos + 20);
    if (pos + kEndRecordSize + comment <= size) {
      end_record = pos;
      break;
    }
  }
  if (end_record == SIZE_MAX) return kZipCannotOpen;

  const unsigned char* end = base + end_record;
  const uint16_t this_disk = Read16(end + 4);
  const uint16_t directory_disk = Read16(end + 6);
  const uint16_t entries_here = Read16(end + 8);
  const uint16_t entry_count = Read16(end + 10);
  const uint64_t directory_size = Read32(end + 12);
  const uint64_t directory_offset = Read32(end + 16);
  if (this_disk != 0 || directory_disk != 0 || entries_here != entry_count) return kZipCannotOpen;
  if (directory_offset + directory_size > end_record) return kZipCannotOpen;

  const size_t directory_end = static_cast<size_t>(directory_offset + directory_size);
  size_t pos = static_cast<size_t>(directory_offset);
  entries_.reserve(entry_count);
  for (int index = 0; index < entry_count; ++index) {
    if (pos + kCentralHeaderSize > directory_end) return kZipCannotOpen;
    const unsigned char* header = base + pos;
    if (Read32(header) != kCentralHeaderSignature) return kZipCannotOpen;
    const size_t name_length = Read16(header + 28);
    const size_t extra_length = Read16(header + 30);
    const size_t comment_length = Read16(header + 32);
    const size_t record_size = kCentralHeaderSize + name_length + extra_length + comment_length;
    if (pos + record_size > directory_end) return kZipCannotOpen;

    ZipEntryInfo info;
    info.index = index;
    info.flags = Read16(header + 8);
    info.method = Read16(header + 10);
    info.crc32 = Read32(header + 16);
    info.compressed_size = Read32(header + 20);
    info.uncompressed_size = Read32(header + 24);
    info.local_header_offset = Read32(header + 42);
    info.name.assign(reinterpret_cast<const char*>(header + kCentralHeaderSize), name_length);
    entries_.push_back(std::move(info));
    pos += record_size;
  }
  return kZipOk;
}

ZipResult ZipReader::Find(std::string_view name, ZipEntryInfo* info) const {
  if (!open_) return kZipNotForReading;
  if (name.empty() || name.size() >= kMaxEntryNameBytes) return kZipNotFound;
  for (const ZipEntryInfo& entry : entries_) {
    if (EqualsAsciiCaseInsensitive(entry.name, name)) {
      if (info != nullptr) *info = entry;
      return kZipOk;
    }
  }
  return kZipNotFound;
}

ZipResult ZipReader::Read(int index, std::string& out) const {
  out.clear();
  if (!open_) return kZipNotForReading;
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return kZipNotFound;
  const ZipEntryInfo& entry = entries_[index];
  if (entry.flags & kFlagEncrypted) return kZipBadEntry;
  if (entry.method != kMethodStored && entry.method != kMethodDeflated) return kZipBadEntry;
  if (entry.uncompressed_size > kMaxEntrySize) return kZipEntryTooLarge;

  const size_t size = block_.size();
  if (entry.local_header_offset > size || size - entry.local_header_offset < kLocalHeaderSize) {
    return kZipBadEntry;
  }
  const unsigned char* local = block_.data() + entry.local_header_offset;
  if (Read32(local) != kLocalHeaderSignature) return kZipBadEntry;
  const uint64_t data_offset =
      entry.local_header_offset + kLocalHeaderSize + Read16(local + 26) + Read16(local + 28);
  if (data_offset > size || size - data_offset < entry.compressed_size) return kZipBadEntry;
  const unsigned char* data = block_.data() + data_offset;

  if (entry.method == kMethodStored) {
    if (entry.compressed_size != entry.uncompressed_size) return kZipBadEntry;
    out.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(entry.compressed_size));
  } else {
    out.resize(static_cast<size_t>(entry.uncompressed_size));
    if (!InflateExactly(data, static_cast<size_t>(entry.compressed_size), out)) {
      out.clear();
      return kZipBadEntry;
    }
  }
  if (Crc32(out) != entry.crc32) {
    out.clear();
    return kZipBadEntry;
  }
  return kZipOk;
}

}  // namespace ui
