// Builds small zip archives in memory for the reader tests, with hooks to
// write lying header fields.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace ui::test {

struct ZipTestEntry {
  std::string name;
  std::string data;
  uint16_t method = 8;  // 0 stored, 8 deflated
  // Values written instead of the true ones (central and local header).
  std::optional<uint32_t> declared_size = std::nullopt;
  std::optional<uint32_t> declared_compressed_size = std::nullopt;
  std::optional<uint32_t> declared_crc = std::nullopt;
  uint16_t flags = 0;
};

inline std::string RawDeflate(const std::string& data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// Little-endian fields of `bytes` bytes each, appended or patched in place.
inline void Put(std::string& out, int bytes, std::initializer_list<uint32_t> values) {
  for (uint32_t v : values) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
}
inline void Patch(std::string& zip, size_t offset, int bytes, uint32_t v) {
  for (int i = 0; i < bytes; ++i) zip[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void Patch32(std::string& zip, size_t offset, uint32_t v) { Patch(zip, offset, 4, v); }
inline void Patch16(std::string& zip, size_t offset, uint32_t v) { Patch(zip, offset, 2, v); }

// Offsets of the pieces of a built archive, for patching.
struct ZipLayout {
  std::vector<size_t> local_headers;
  std::vector<size_t> central_headers;
  size_t end_record = 0;
};

inline std::string BuildZip(const std::vector<ZipTestEntry>& entries, ZipLayout* layout = nullptr,
                            const std::string& comment = {}) {
  std::string zip;
  std::string directory;
  ZipLayout pieces;
  for (const ZipTestEntry& entry : entries) {
    const std::string payload = entry.method == 8 ? RawDeflate(entry.data) : entry.data;
    const uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size())));
    const uint32_t written_crc = entry.declared_crc.value_or(crc);
    const uint32_t written_compressed = entry.declared_compressed_size.value_or(static_cast<uint32_t>(payload.size()));
    const uint32_t written_size = entry.declared_size.value_or(static_cast<uint32_t>(entry.data.size()));

    const size_t local = zip.size();
    const auto name_size = static_cast<uint32_t>(entry.name.size());
    pieces.local_headers.push_back(local);
    Put(zip, 4, {0x04034b50});
    Put(zip, 2, {20, entry.flags, entry.method, 0, 0});
    Put(zip, 4, {written_crc, written_compressed, written_size});
    Put(zip, 2, {name_size, 0});
    zip += entry.name + payload;

    pieces.central_headers.push_back(directory.size());
    Put(directory, 4, {0x02014b50});
    Put(directory, 2, {20, 20, entry.flags, entry.method, 0, 0});
    Put(directory, 4, {written_crc, written_compressed, written_size});
    Put(directory, 2, {name_size, 0, 0, 0, 0});
    Put(directory, 4, {0, static_cast<uint32_t>(local)});
    directory += entry.name;
  }
  const auto directory_offset = static_cast<uint32_t>(zip.size());
  const auto count = static_cast<uint32_t>(entries.size());
  for (size_t& offset : pieces.central_headers) offset += directory_offset;
  zip += directory;
  pieces.end_record = zip.size();
  Put(zip, 4, {0x06054b50});
  Put(zip, 2, {0, 0, count, count});
  Put(zip, 4, {static_cast<uint32_t>(directory.size()), directory_offset});
  Put(zip, 2, {static_cast<uint32_t>(comment.size())});
  zip += comment;
  if (layout != nullptr) *layout = pieces;
  return zip;
}

}  // namespace ui::test
