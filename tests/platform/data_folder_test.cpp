#include "platform/data_folder.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"

namespace {

using ScopedEnvironment = fleetsync_test::ScopedEnv;

TEST(DataFolderTest, XdgDataHomeWinsWhenItIsAnAbsolutePath) {
  ScopedEnvironment home("HOME", "/home/tech");
  {
    ScopedEnvironment xdg("XDG_DATA_HOME", "/data/数据 目录//");
    EXPECT_EQ(platform::FindLocalAppDataDirectory(), L"/data/数据 目录");
  }
  // Unset, empty and relative values do not count (relative ones would
  // depend on the current directory).
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/data"}) {
    ScopedEnvironment xdg("XDG_DATA_HOME", ignored);
    EXPECT_EQ(platform::FindLocalAppDataDirectory(), L"/home/tech/.local/share");
  }
}

TEST(DataFolderTest, HomeGivesItsLocalShareFolder) {
  ScopedEnvironment xdg("XDG_DATA_HOME", nullptr);
  {
    ScopedEnvironment home("HOME", "/home/tech/");
    EXPECT_EQ(platform::FindLocalAppDataDirectory(), L"/home/tech/.local/share");
  }
  {
    ScopedEnvironment home("HOME", "/");
    EXPECT_EQ(platform::FindLocalAppDataDirectory(), L"/.local/share");
  }
}

TEST(DataFolderTest, EmptyWhenNeitherVariableGivesAnAbsoluteFolder) {
  ScopedEnvironment xdg("XDG_DATA_HOME", "");
  for (const char* home_value : {static_cast<const char*>(nullptr), "", "tech", "\xFF/bad"}) {
    ScopedEnvironment home("HOME", home_value);
    EXPECT_EQ(platform::FindLocalAppDataDirectory(), L"");
  }
}

}  // namespace
