#include "ui/resources/zip_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/resources/zip_builder.h"

namespace ui {
namespace {

using test::BuildZip;
using test::ZipLayout;
using test::ZipTestEntry;

std::string Repeated(const std::string& piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Opens `zip` and reads every entry; returns the first non-zero result of the
// reads, kZipCannotOpen when it does not open, or kZipOk.
uint32_t OpenAndReadAll(const std::string& zip) {
  ZipReader reader;
  if (reader.Open(zip.data(), zip.size()) != kZipOk) return kZipCannotOpen;
  for (size_t i = 0; i < reader.entry_count(); ++i) {
    std::string out;
    const ZipResult result = reader.Read(static_cast<int>(i), out);
    if (result != kZipOk) return result;
    if (out.size() != reader.entry(static_cast<int>(i)).uncompressed_size) return 0xDEAD;
  }
  return kZipOk;
}

TEST(ZipReaderTest, ReadsStoredDeflatedEmptyAndDirectoryEntries) {
  const std::string text = Repeated("<Window size=\"500,600\"/>\n", 200);
  std::string zip = BuildZip({
      {"resources/", "", 0},
      {"resources/stored.txt", "plain bytes", 0},
      {"resources/deflated.xml", text, 8},
      {"resources/empty_stored", "", 0},
      {"resources/empty_deflated", "", 8},
  });
  ZipReader reader;
  ASSERT_EQ(reader.Open(zip.data(), zip.size()), kZipOk);
  zip.assign(zip.size(), '\0');  // the reader keeps a copy of its own
  ASSERT_EQ(reader.entry_count(), 5u);
  EXPECT_TRUE(reader.entry(0).is_directory());

  std::string out;
  ZipEntryInfo info;
  ASSERT_EQ(reader.Find("resources/stored.txt", &info), kZipOk);
  EXPECT_EQ(reader.Read(info.index, out), kZipOk);
  EXPECT_EQ(out, "plain bytes");
  ASSERT_EQ(reader.Find("resources/deflated.xml", &info), kZipOk);
  EXPECT_LT(info.compressed_size, info.uncompressed_size);
  EXPECT_EQ(reader.Read(info.index, out), kZipOk);
  EXPECT_EQ(out, text);
  for (const char* name : {"resources/empty_stored", "resources/empty_deflated", "resources/"}) {
    ASSERT_EQ(reader.Find(name, &info), kZipOk) << name;
    out = "stale";
    EXPECT_EQ(reader.Read(info.index, out), kZipOk) << name;
    EXPECT_TRUE(out.empty()) << name;
  }
  EXPECT_EQ(reader.Read(5, out), kZipNotFound);
  EXPECT_EQ(reader.Read(-1, out), kZipNotFound);
}

TEST(ZipReaderTest, FindComparesWholeNamesIgnoringAsciiCaseUpTo255Bytes) {
  const std::string name255 = "resources/" + std::string(245, 'x');
  const std::string name256 = "resources/" + std::string(246, 'y');
  const std::string zip = BuildZip({{"resources/Themes/ab", "1"}, {"resources/themes/a", "2"},
                                    {"resources/\xC3\xA9t\xC3\xA9", "3"}, {name255, "a"}, {name256, "b"}});
  ZipReader reader;
  ASSERT_EQ(reader.Open(zip.data(), zip.size()), kZipOk);
  ZipEntryInfo info;
  ASSERT_EQ(reader.Find("RESOURCES/THEMES/A", &info), kZipOk);
  EXPECT_EQ(info.index, 1);
  EXPECT_EQ(reader.Find("resources/themes/", &info), kZipNotFound);
  EXPECT_EQ(reader.Find("resources/themes/abc", &info), kZipNotFound);
  // Only ASCII letters fold: other bytes must match exactly.
  EXPECT_EQ(reader.Find("resources/\xC3\xA9t\xC3\xA9", &info), kZipOk);
  EXPECT_EQ(reader.Find("resources/\xC3\x89T\xC3\x89", &info), kZipNotFound);
  EXPECT_EQ(reader.Find("", &info), kZipNotFound);
  // Names of 256 bytes or more are never found.
  EXPECT_EQ(reader.Find(name255, nullptr), kZipOk);
  EXPECT_EQ(reader.Find(name256, nullptr), kZipNotFound);
}

TEST(ZipReaderTest, ArchiveCommentIsAllowedButMustFitTheBlockAndNothingIsReadUnopened) {
  ZipReader reader;
  std::string out;
  EXPECT_EQ(reader.Find("a", nullptr), kZipNotForReading);
  EXPECT_EQ(reader.Read(0, out), kZipNotForReading);
  EXPECT_EQ(reader.Open(nullptr, 0), kZipCannotOpen);
  EXPECT_FALSE(reader.IsOpen());
  std::string zip = BuildZip({{"a", "x"}}, nullptr, "built by a test");
  EXPECT_EQ(OpenAndReadAll(zip), kZipOk);
  zip.resize(zip.size() - 3);  // comment length now claims bytes past the end
  EXPECT_EQ(OpenAndReadAll(zip), kZipCannotOpen);
}

// A damaged directory keeps the archive from opening; a damaged local header
// fails only the read of its entry.
TEST(ZipReaderTest, DamagedHeadersAreRejected) {
  using Z = std::string&;
  using L = const ZipLayout&;
  const struct {
    const char* what;
    void (*damage)(Z zip, L layout);
    uint32_t expected;
  } cases[] = {
      {"directory offset past the end", [](Z z, L l) { test::Patch32(z, l.end_record + 16, z.size()); }, kZipCannotOpen},
      {"directory size past the end", [](Z z, L l) { test::Patch32(z, l.end_record + 12, 0x7FFFFFFF); }, kZipCannotOpen},
      {"more entries than the directory holds",
       [](Z z, L l) { test::Patch16(z, l.end_record + 8, 3), test::Patch16(z, l.end_record + 10, 3); }, kZipCannotOpen},
      {"name runs past the directory", [](Z z, L l) { test::Patch16(z, l.central_headers[1] + 28, 0xFFFF); },
       kZipCannotOpen},
      {"comment swallows the next header", [](Z z, L l) { test::Patch16(z, l.central_headers[0] + 32, 60); },
       kZipCannotOpen},
      {"not a central header", [](Z z, L l) { test::Patch32(z, l.central_headers[1], 0x12345678); }, kZipCannotOpen},
      {"spanned archive", [](Z z, L l) { test::Patch16(z, l.end_record + 4, 1); }, kZipCannotOpen},
      {"local header past the end", [](Z z, L l) { test::Patch32(z, l.central_headers[0] + 42, z.size() - 10); },
       kZipBadEntry},
      {"local header far past the end", [](Z z, L l) { test::Patch32(z, l.central_headers[0] + 42, 0xFFFFFFF0); },
       kZipBadEntry},
      {"extra field runs past the end", [](Z z, L l) { test::Patch16(z, l.local_headers[0] + 28, 0xFFFF); },
       kZipBadEntry},
      {"no local signature", [](Z z, L l) { test::Patch32(z, l.local_headers[0], 0); }, kZipBadEntry},
  };
  ZipLayout layout;
  const std::string good = BuildZip({{"resources/a.xml", Repeated("local ", 50)}, {"resources/b.xml", "bbbb"}}, &layout);
  for (const auto& c : cases) {
    std::string zip = good;
    c.damage(zip, layout);
    EXPECT_EQ(OpenAndReadAll(zip), c.expected) << c.what;
  }
  EXPECT_EQ(OpenAndReadAll(std::string("PK\x05\x06", 4)), kZipCannotOpen);
  EXPECT_EQ(OpenAndReadAll("not a zip archive at all, just text"), kZipCannotOpen);
}

// Entries whose header fields lie about the data, and what the reader makes
// of them (truncated and corrupted archives in general are the fuzzer's).
TEST(ZipReaderTest, EntriesWhoseHeadersLieAreRefused) {
  const std::string text = Repeated("0123456789", 100);
  const uint32_t real = static_cast<uint32_t>(text.size());
  ZipTestEntry encrypted{"a", "secret", 0};
  encrypted.flags = 1;
  const struct {
    const char* what;
    ZipTestEntry entry;
    uint32_t expected;
  } cases[] = {
      {"size below the stream's (inflating must stop)", {"a", text, 8, real - 1}, kZipBadEntry},
      {"size above the stream's", {"a", text, 8, real + 1}, kZipBadEntry},
      {"compressed size past the block", {"a", text, 8, std::nullopt, 0x00FFFFFF}, kZipBadEntry},
      {"compressed size cutting the stream", {"a", text, 8, std::nullopt, 5}, kZipBadEntry},
      {"stored with unequal sizes", {"a", text, 0, real - 10, real - 10}, kZipBadEntry},
      {"stored, size past the data", {"a", text, 0, real + 10}, kZipBadEntry},
      {"deflated, wrong CRC", {"a", "payload", 8, std::nullopt, std::nullopt, 0x1234}, kZipBadEntry},
      {"stored, wrong CRC", {"a", "payload", 0, std::nullopt, std::nullopt, 0x1234}, kZipBadEntry},
      {"encrypted", encrypted, kZipBadEntry},
      // A tiny stream claiming nearly 4 GiB is refused before any buffer is made.
      {"bomb", {"bomb", std::string(1000, '\0'), 8, 0xFFFFFFF0}, kZipEntryTooLarge},
      {"over the entry limit", {"bomb", "", 8, static_cast<uint32_t>(kMaxEntrySize + 1)}, kZipEntryTooLarge},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenAndReadAll(BuildZip({c.entry})), c.expected) << c.what;

  ZipLayout layout;
  std::string unknown_method = BuildZip({{"a", "bzip2?", 0}}, &layout);
  test::Patch16(unknown_method, layout.central_headers[0] + 10, 12);
  EXPECT_EQ(OpenAndReadAll(unknown_method), kZipBadEntry);
}

}  // namespace
}  // namespace ui
