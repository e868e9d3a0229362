#include "platform/process_command_line.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using Words = std::vector<std::wstring>;

TEST(SplitCommandLine, BlanksSeparateAndRunsMakeNoEmptyWords) {
  EXPECT_EQ(SplitCommandLine(L"adb  shell\tgetprop   ro.app.name "), (Words{L"adb", L"shell", L"getprop", L"ro.app.name"}));
  EXPECT_EQ(SplitCommandLine(L"connect  127.0.0.2:5555"), (Words{L"connect", L"127.0.0.2:5555"}));
  EXPECT_EQ(SplitCommandLine(L""), Words{});
  EXPECT_EQ(SplitCommandLine(L"   \t "), Words{});
}

TEST(SplitCommandLine, QuotesGroupAndAreRemoved) {
  EXPECT_EQ(SplitCommandLine(L"\"/opt/my tools/adb\" push \"/home/u/升级 包.img\" /tmp/x"),
            (Words{L"/opt/my tools/adb", L"push", L"/home/u/升级 包.img", L"/tmp/x"}));
  EXPECT_EQ(SplitCommandLine(L"a\"b c\"d e"), (Words{L"ab cd", L"e"}));
  EXPECT_EQ(SplitCommandLine(L"x \"\" y"), (Words{L"x", L"", L"y"}));
  EXPECT_EQ(SplitCommandLine(L"x \"unterminated  rest"), (Words{L"x", L"unterminated  rest"}));
}

TEST(SplitCommandLine, ShellCharactersAndBackslashesAreLiteral) {
  EXPECT_EQ(SplitCommandLine(L"echo a;b|c $HOME `id` C:\\dir\\"),
            (Words{L"echo", L"a;b|c", L"$HOME", L"`id`", L"C:\\dir\\"}));
  EXPECT_EQ(SplitCommandLine(L"one\ntwo"), (Words{L"one\ntwo"}));  // a newline is no separator
}

}  // namespace
}  // namespace platform
