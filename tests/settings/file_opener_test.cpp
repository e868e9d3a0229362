// Opening a file detached: which commands are tried, and nothing to start.
// The fallback past a program that cannot start, and the reaping, are the
// settings window's test (its address-list button).
#include "settings/file_opener.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/detached_process.h"
#include "tests/settings/stub_dialog.h"
#include "tests/support/scoped_env.h"

namespace {

using Command = std::vector<std::string>;

class FileOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("VISUAL");
    ::unsetenv("EDITOR");
  }
  fleetsync_test::ScopedEnv visual_{"VISUAL"};
  fleetsync_test::ScopedEnv editor_{"EDITOR"};
  StubDialogs stubs_;
};

TEST_F(FileOpenerTest, XdgOpenFirstThenVisualThenEditorWithTheirOwnArguments) {
  const std::string path = "/data/Lumora/FleetSync/ip 列表.txt";
  EXPECT_EQ(FileOpenCommands(path), (std::vector<Command>{{"xdg-open", path}}));
  ::setenv("VISUAL", "  ", 1);  // blank: skipped
  ::setenv("EDITOR", " emacsclient  -n ", 1);
  EXPECT_EQ(FileOpenCommands(path),
            (std::vector<Command>{{"xdg-open", path}, {"emacsclient", "-n", path}}));
  ::setenv("VISUAL", "gedit", 1);
  EXPECT_EQ(FileOpenCommands(path), (std::vector<Command>{{"xdg-open", path},
                                                          {"gedit", path},
                                                          {"emacsclient", "-n", path}}));
}

TEST_F(FileOpenerTest, NothingToStartIsReported) {
  EXPECT_FALSE(OpenFileDetached("/tmp/ip.txt"));
  EXPECT_FALSE(platform::LaunchDetached({}));
  EXPECT_FALSE(platform::LaunchDetached({""}));
  EXPECT_FALSE(stubs_.Ran());
}

}  // namespace
