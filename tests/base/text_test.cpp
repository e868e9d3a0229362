#include "base/text.h"

#include <gtest/gtest.h>

TEST(Utf8ToUtf16, DecodesAsciiChineseAndAstral) {
  EXPECT_EQ(Utf8ToUtf16("abc"), L"abc");
  EXPECT_EQ(Utf8ToUtf16("升级结束"), L"升级结束");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::wstring(1, wchar_t(0x1F600)));
  EXPECT_EQ(Utf8ToUtf16(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Utf8ToUtf16, IllegalOrTruncatedInputGivesEmpty) {
  for (const char* bad : {"abc\xFF", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\x80", "ok\xE5\x8D", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_EQ(Utf8ToUtf16(bad), L"") << bad;
  }
}

TEST(Utf16ToUtf8, RoundTripsAndHandlesSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(L"升级 abc"), "升级 abc");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{L'a', wchar_t(0xD83D)}), "");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xDC00), L'a'}), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0x110000)}), "\xEF\xBF\xBD");
}

TEST(CompleteUtf8Prefix, HoldsBackOnlyAnUnfinishedSequence) {
  EXPECT_EQ(CompleteUtf8Prefix("abc"), 3u);
  EXPECT_EQ(CompleteUtf8Prefix("ab\xE5"), 2u);
  EXPECT_EQ(CompleteUtf8Prefix("ab\xE5\x8D"), 2u);
  EXPECT_EQ(CompleteUtf8Prefix("ab\xE5\x8D\x87"), 5u);
  EXPECT_EQ(CompleteUtf8Prefix("ab\xF0\x9F\x98"), 2u);
  EXPECT_EQ(CompleteUtf8Prefix("ab\xFF"), 3u);      // can never complete: decode (and drop) now
  EXPECT_EQ(CompleteUtf8Prefix("ab\xE0\x80"), 4u);  // overlong already
  EXPECT_EQ(CompleteUtf8Prefix(""), 0u);
}

TEST(Trim, RemovesBlanksAndLowControlsOnly) {
  std::wstring s = L" \t\r\n name \x1D";
  EXPECT_EQ(Trim(s), L"name");
  std::wstring keep = L"\x1E" L"x\x1F";
  EXPECT_EQ(Trim(keep), L"\x1E" L"x\x1F");
  std::wstring blank = L" \t \t";
  EXPECT_EQ(Trim(blank), L"");
}

TEST(FormatString, WideStringsIntsAndLongResults) {
  // Formats of the passes' texts and the rows' clock: their own tests.
  EXPECT_EQ(FormatString(L"100%% %d%c", 5, L'升'), L"100% 5升");
  EXPECT_EQ(FormatString(L"[%-4s]", L"ab"), L"[ab  ]");
  const std::wstring long_text(5000, L'x');
  EXPECT_EQ(FormatString(L"<%s>", long_text.c_str()), L"<" + long_text + L">");
}
