#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/executable_path.h"
#include "platform/file_attributes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace platform {
namespace {

class PathFolders : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, mode_t mode) { return temp_.Write(name, "#!/bin/sh\n", mode); }

  fleetsync_test::TempFolder temp_{"fleetsync-paths"};
  const std::string folder_ = temp_.path();
  fleetsync_test::ScopedEnv path_{"PATH"};
};

TEST_F(PathFolders, FindOnPathTakesTheFirstExecutableRegularFile) {
  const std::string second = folder_ + "/second";
  Write("plain", 0644);
  std::filesystem::create_directory(folder_ + "/dir");
  const std::string tool = Write("second/tool", 0755);
  Write("second/plain", 0755);
  setenv("PATH", (":" + folder_ + "::" + second + "/").c_str(), 1);
  EXPECT_EQ(FindOnPath("tool"), second + "/tool");
  EXPECT_EQ(FindOnPath("plain"), second + "/plain");  // the unexecutable first one is passed over
  EXPECT_EQ(FindOnPath("dir"), "");
  EXPECT_EQ(FindOnPath("missing"), "");
}

TEST_F(PathFolders, FindOnPathNeverLooksInTheWorkingFolderAndFallsBackToTheSystemPath) {
  Write("tool", 0755);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
  setenv("PATH", "", 1);
  EXPECT_EQ(FindOnPath("tool"), "");
  setenv("PATH", ":/nonexistent:", 1);
  EXPECT_EQ(FindOnPath("tool"), "");
  unsetenv("PATH");  // the system's default path then, which holds no working folder
  EXPECT_EQ(FindOnPath("tool"), "");
  EXPECT_FALSE(FindOnPath("sh").empty());
  std::filesystem::current_path(previous);
}

TEST_F(PathFolders, FileExistsForFilesAndFoldersOnly) {
  const std::string file = Write("file", 0644);
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(FileExists(folder_));
  EXPECT_FALSE(FileExists(folder_ + "/missing"));
  EXPECT_FALSE(FileExists(""));
  std::filesystem::create_symlink(folder_ + "/missing", folder_ + "/dangling");
  EXPECT_FALSE(FileExists(folder_ + "/dangling"));
}

}  // namespace
}  // namespace platform
