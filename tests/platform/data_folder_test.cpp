#include "platform/data_folder.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_env.h"

namespace {

// XDG_DATA_HOME wins when it is an absolute path; unset, empty and relative
// values (which would depend on the current directory) fall back to HOME's
// .local/share, and without an absolute HOME there is no folder at all.
TEST(DataFolderTest, AbsoluteXdgDataHomeThenAbsoluteHome) {
  const char* const unset = nullptr;
  const struct {
    const char* xdg;
    const char* home;
    const wchar_t* expected;
  } cases[] = {
      {"/data/数据 目录//", "/home/tech", L"/data/数据 目录"},
      {unset, "/home/tech", L"/home/tech/.local/share"},
      {"", "/home/tech/", L"/home/tech/.local/share"},
      {"relative/data", "/home/tech", L"/home/tech/.local/share"},
      {unset, "/", L"/.local/share"},
      {"", unset, L""},
      {"", "", L""},
      {"", "tech", L""},
      {"", "\xFF/bad", L""},
  };
  for (const auto& c : cases) {
    fleetsync_test::ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
    fleetsync_test::ScopedEnv home("HOME", c.home);
    EXPECT_EQ(platform::FindLocalAppDataDirectory(), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

}  // namespace
