#include "platform/file_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class FileUtilTest : public ::testing::Test {
 protected:
  std::wstring PathOf(const std::string& name) const { return Utf8ToUtf16((root_ / name).string()); }

  fleetsync_test::TempFolder temp_{"file_util_test"};
  const fs::path root_ = temp_.path();
};

TEST_F(FileUtilTest, ReadDistinguishesMissingFromUnreadableAndReadsToTheEnd) {
  std::string bytes = "stale";
  EXPECT_EQ(platform::ReadFileToEnd(PathOf("missing"), &bytes), platform::FileReadStatus::kMissing);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(platform::ReadFileToEnd(PathOf("missing/deeper"), &bytes),
            platform::FileReadStatus::kMissing);
  EXPECT_EQ(platform::ReadFileToEnd(PathOf(""), &bytes), platform::FileReadStatus::kFailed);
  EXPECT_FALSE(platform::ReadFileBytes(std::wstring(L"a\0b", 3), &bytes));

  std::ofstream(root_ / "empty");
  EXPECT_TRUE(platform::ReadFileBytes(PathOf("empty"), &bytes));
  EXPECT_TRUE(bytes.empty());

  // Larger than one read chunk, with NUL bytes inside.
  std::string content(200000, 'x');
  content[70000] = '\0';
  std::ofstream(root_ / "big.bin", std::ios::binary) << content;
  ASSERT_TRUE(platform::ReadFileBytes(PathOf("big.bin"), &bytes));
  EXPECT_EQ(bytes, content);
}

TEST_F(FileUtilTest, AtomicWriteReplacesWholeAndFailsWithoutTouchingTheTarget) {
  const std::wstring path = PathOf("文件 名.txt");
  ASSERT_TRUE(platform::WriteFileAtomically(path, "first version, longer"));
  ASSERT_TRUE(platform::WriteFileAtomically(path, "second"));
  std::string bytes;
  ASSERT_TRUE(platform::ReadFileBytes(path, &bytes));
  EXPECT_EQ(bytes, "second");
  ASSERT_EQ(::chmod((root_ / "文件 名.txt").c_str(), 0640), 0);
  ASSERT_TRUE(platform::WriteFileAtomically(path, "third"));
  EXPECT_EQ(fs::status(root_ / "文件 名.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  fs::create_directory(root_ / "a folder");
  EXPECT_FALSE(platform::WriteFileAtomically(PathOf("a folder"), "x"));
  EXPECT_FALSE(platform::WriteFileAtomically(PathOf("no folder/file"), "x"));
  EXPECT_FALSE(platform::WriteFileAtomically(L"", "x"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root_)) ++entries;
  EXPECT_EQ(entries, 2);  // no temporary files left
}

TEST_F(FileUtilTest, DirectoryTreeIsCreatedWithAllParentsAndFilesInTheWayFail) {
  const std::wstring deep = PathOf("Lumora 数据/FleetSync/inner");
  EXPECT_FALSE(platform::IsDirectory(deep));
  EXPECT_TRUE(platform::CreateDirectoryTree(deep));
  EXPECT_TRUE(platform::IsDirectory(deep));
  EXPECT_TRUE(platform::CreateDirectoryTree(deep));        // already there
  EXPECT_TRUE(platform::CreateDirectoryTree(deep + L"/"));  // trailing slash

  std::ofstream(root_ / "plain file");
  EXPECT_FALSE(platform::CreateDirectoryTree(PathOf("plain file")));
  EXPECT_FALSE(platform::CreateDirectoryTree(PathOf("plain file/child")));
  EXPECT_FALSE(platform::IsDirectory(PathOf("plain file")));
  EXPECT_FALSE(platform::CreateDirectoryTree(L""));
}

}  // namespace
