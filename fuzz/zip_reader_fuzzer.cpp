// The zip reader on arbitrary blocks: every call gives one of its result
// codes, nothing is read past the block (AddressSanitizer watches), and an
// entry that reads back whole has exactly its declared size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "ui/resources/zip_reader.h"

namespace {

bool IsResultCode(ui::ZipResult result) {
  switch (result) {
    case ui::kZipOk:
    case ui::kZipCannotOpen:
    case ui::kZipNotFound:
    case ui::kZipMoreData:
    case ui::kZipBadEntry:
    case ui::kZipEntryTooLarge:
      return true;
    default:
      return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reader copies the block; a copy of exactly `size` bytes on the heap
  // lets AddressSanitizer catch a read of the caller's buffer past its end.
  std::string block(reinterpret_cast<const char*>(data), size);
  ui::ZipReader reader;
  const ui::ZipResult opened = reader.Open(block.data(), block.size());
  FUZZ_CHECK(opened == ui::kZipOk || opened == ui::kZipCannotOpen);
  FUZZ_CHECK(reader.IsOpen() == (opened == ui::kZipOk));
  if (opened != ui::kZipOk) {
    FUZZ_CHECK(reader.entry_count() == 0);
    return 0;
  }
  const size_t count = reader.entry_count() < 64 ? reader.entry_count() : 64;
  for (size_t i = 0; i < count; ++i) {
    const ui::ZipEntryInfo info = reader.entry(int(i));
    std::string content;
    const ui::ZipResult read = reader.Read(int(i), content);
    FUZZ_CHECK(IsResultCode(read));
    if (read == ui::kZipOk) FUZZ_CHECK(content.size() == info.uncompressed_size);
    if (info.uncompressed_size > ui::kMaxEntrySize) FUZZ_CHECK(read != ui::kZipOk);

    ui::ZipEntryInfo found;
    const ui::ZipResult lookup = reader.Find(info.name, &found);
    FUZZ_CHECK(lookup == ui::kZipOk || lookup == ui::kZipNotFound);
    if (info.name.size() >= ui::kMaxEntryNameBytes) FUZZ_CHECK(lookup == ui::kZipNotFound);
    // The first entry of that name (ASCII case aside) is found, never a later one.
    if (lookup == ui::kZipOk) FUZZ_CHECK(found.index >= 0 && size_t(found.index) <= i);
  }
  std::string ignored;
  FUZZ_CHECK(reader.Read(int(reader.entry_count()), ignored) == ui::kZipNotFound);
  FUZZ_CHECK(reader.Read(-1, ignored) == ui::kZipNotFound);
  return 0;
}
