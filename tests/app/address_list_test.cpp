#include "app/address_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

// The pattern engine is only the reference here. libstdc++ 12's <regex> sets
// off a false -Wmaybe-uninitialized in sanitizer builds.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop

#include "base/text.h"
#include "tests/app/temp_data_home.h"

namespace fs = std::filesystem;

namespace {

using Addresses = std::vector<std::wstring>;

class AddressListTest : public ::testing::Test {
 protected:
  // Reads a file with the given bytes; the addresses in set order.
  Addresses Read(const std::string& bytes) {
    const fs::path path = folder_.root() / "ip list.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    const std::set<std::wstring> result = ReadAddressList(TempDataHome::Wide(path), &skips_);
    return Addresses(result.begin(), result.end());
  }

  TempDataHome folder_;
  AddressListSkips skips_;
};

Addresses Range(const std::wstring& prefix, int first, int last) {
  Addresses result;
  for (int i = first; i <= last; ++i) result.push_back(prefix + std::to_wstring(i));
  return result;
}

Addresses Sorted(Addresses addresses) {
  std::sort(addresses.begin(), addresses.end());
  return addresses;
}

Addresses Concat(std::initializer_list<Addresses> parts) {
  Addresses all;
  for (const Addresses& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(AddressListTest, CrlfTabsBlankLinesAndSpacesSeparateAddresses) {
  EXPECT_EQ(Read("192.168.1.5\r\n\t10.0.0.1\t\r\n\r\n  10.0.0.2 10.0.0.3\n\n"),
            (Addresses{L"10.0.0.1", L"10.0.0.2", L"10.0.0.3", L"192.168.1.5"}));
  EXPECT_TRUE(skips_.tokens.empty());  // a stray CR or tab is spacing, not a skipped entry
  EXPECT_FALSE(skips_.ignored_after_nul);
}

TEST_F(AddressListTest, OrderIsTextualAndDuplicatesCountOnce) {
  EXPECT_EQ(Read("10.0.0.9\n10.0.0.10\n10.0.0.2\n10.0.0.9\r\n10.0.0.1*\n"),
            Sorted(Concat({{L"10.0.0.1"}, Range(L"10.0.0.", 10, 19), Range(L"10.0.0.", 110, 199),
                           {L"10.0.0.2", L"10.0.0.9"}})));
  const Addresses small = Read("10.0.0.9 10.0.0.10 10.0.0.2");
  EXPECT_EQ(small, (Addresses{L"10.0.0.10", L"10.0.0.2", L"10.0.0.9"}));
}

TEST_F(AddressListTest, InvalidTokensAreSkippedAndReportedInFileOrder) {
  EXPECT_EQ(Read("192.168.1.5#office 192.168.001.5 256.1.1.1 1.2.3\r\n1.2.3.4.5 "
                 "\xEF\xBC\x95.1.1.1 1.2.3.4 01.2.3.4 1..2.3 \xFF\xFE 10.0.0.\xFF* *\n"),
            (Addresses{L"1.2.3.4"}));
  EXPECT_EQ(skips_.tokens,
            (Addresses{L"192.168.1.5#office", L"192.168.001.5", L"256.1.1.1", L"1.2.3",
                       L"1.2.3.4.5", L"\xFF15.1.1.1", L"01.2.3.4", L"1..2.3", L"\xFFFD\xFFFD",
                       L"10.0.0.\xFFFD*", L"*"}));
}

TEST_F(AddressListTest, ByteOrderMarkDoesNotSwallowTheFirstAddress) {
  EXPECT_EQ(Read("\xEF\xBB\xBF" "192.168.1.5\r\n10.0.0.1\r\n"),
            (Addresses{L"10.0.0.1", L"192.168.1.5"}));
  EXPECT_TRUE(skips_.tokens.empty());
}

TEST_F(AddressListTest, EmptyMissingAndNulFiles) {
  EXPECT_TRUE(Read("").empty());
  EXPECT_TRUE(Read("\n \r\n").empty());
  EXPECT_TRUE(ReadAddressList(TempDataHome::Wide(folder_.root() / "missing.txt"), &skips_).empty());
  EXPECT_TRUE(ReadAddressList(TempDataHome::Wide(folder_.root())).empty());  // a folder

  EXPECT_TRUE(Read(std::string("\0" "10.0.0.1\n", 10)).empty());
  EXPECT_TRUE(skips_.ignored_after_nul);
  EXPECT_EQ(Read(std::string("10.0.0.1\n10.0.0.2\0" "5\n10.0.0.3\n", 27)),
            (Addresses{L"10.0.0.1", L"10.0.0.2"}));
  EXPECT_TRUE(skips_.ignored_after_nul);
}

TEST_F(AddressListTest, WildcardInTheLastOctet) {
  // The removal candidate "192.168.1." is not an address; 255 itself is never tried.
  EXPECT_EQ(Read("192.168.1.*"), Sorted(Range(L"192.168.1.", 0, 254)));
  EXPECT_EQ(Read("192.168.1.1*"),
            Sorted(Concat({{L"192.168.1.1"}, Range(L"192.168.1.", 10, 19),
                           Range(L"192.168.1.", 110, 199)})));
  EXPECT_EQ(Read("192.168.1.1*").size(), 101u);
  EXPECT_EQ(Read("192.168.1.2*"),
            Sorted(Concat({{L"192.168.1.2"}, Range(L"192.168.1.", 20, 29),
                           Range(L"192.168.1.", 210, 255)})));
  EXPECT_EQ(Read("192.168.1.*5"), (Addresses{L"192.168.1.5"}));
  EXPECT_EQ(Read("192.168.1.*\r\n"), Sorted(Range(L"192.168.1.", 0, 254)));
}

TEST_F(AddressListTest, WildcardInEachOctetAndEveryOctet) {
  Addresses first, second, third, all;
  for (int i = 0; i <= 254; ++i) {
    const std::wstring n = std::to_wstring(i);
    first.push_back(n + L".1.1.1");
    second.push_back(L"1." + n + L".1.1");
    third.push_back(L"1.1." + n + L".1");
    all.push_back(n + L"." + n + L"." + n + L"." + n);
  }
  EXPECT_EQ(Read("*.1.1.1"), Sorted(first));
  EXPECT_EQ(Read("1.*.1.1"), Sorted(second));
  EXPECT_EQ(Read("1.1.*.1"), Sorted(third));
  EXPECT_EQ(Read("*.*.*.*"), Sorted(all));
  EXPECT_EQ(Read("1*.0.0.1").size(), 101u);  // 1, 10..19, 110..199
  EXPECT_TRUE(skips_.tokens.empty());
}

TEST_F(AddressListTest, HundredThousandTokensAreAllRead) {
  std::string bytes;
  Addresses expected;
  for (int i = 0; i < 100000; ++i) {
    const std::string address =
        "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
        std::to_string(i % 256);
    bytes += address + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? " " : "\n");
    expected.push_back(Utf8ToUtf16(address));
  }
  EXPECT_EQ(Read(bytes), Sorted(expected));
}

TEST(SplitTokensTest, CutsAtDelimitersOnlyAndStopsAtNul) {
  EXPECT_EQ(SplitTokens(std::string_view("  a  b\n\nc\r\td \0e f", 18), "\n "),
            (std::vector<std::string>{"a", "b", "c\r\td"}));
  EXPECT_TRUE(SplitTokens("\n \n", "\n ").empty());
  EXPECT_EQ(SplitTokens("x", "\n "), (std::vector<std::string>{"x"}));
}

TEST(ValidateAddressTest, TrimsControlCharactersButNotU001EOrU001F) {
  std::wstring canonical;
  EXPECT_TRUE(ValidateAddress(L"\x1D\t 10.0.0.1\r\n\x01", &canonical));
  EXPECT_EQ(canonical, L"10.0.0.1");
  EXPECT_FALSE(ValidateAddress(L"\x1E" L"10.0.0.1"));
  EXPECT_FALSE(ValidateAddress(L"10.0.0.1\x1F"));
  EXPECT_FALSE(ValidateAddress(L"10.0.0.\x0663"));  // Arabic-Indic digit three
  EXPECT_FALSE(ValidateAddress(L""));
  EXPECT_TRUE(ValidateAddress(L"255.255.255.255"));
  EXPECT_TRUE(ValidateAddress(L"0.0.0.0"));
}

// The matcher must accept exactly what the documented pattern accepts.
TEST(ValidateAddressTest, AgreesWithTheAddressPatternOnManyInputs) {
  const std::wregex pattern(
      L"((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}"
      L"(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])",
      std::regex::ECMAScript);
  std::mt19937 random(7);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  const std::wstring alphabet = L"0123456789...  \t\r-+*aZ\x663\x1E";
  int accepted = 0;
  for (int round = 0; round < 200000; ++round) {
    std::wstring text;
    if (round % 2 == 0) {
      // Near misses: four or so numbered parts with occasional junk.
      const int parts = 3 + pick(3);
      for (int p = 0; p < parts; ++p) {
        if (p > 0) text += pick(20) == 0 ? L',' : L'.';
        switch (pick(10)) {
          case 0: text += L"0" + std::to_wstring(pick(100)); break;  // leading zero
          case 1: text += std::to_wstring(250 + pick(10)); break;    // around 255
          case 2: text += std::to_wstring(pick(1000)); break;
          case 3: text += alphabet[pick(static_cast<int>(alphabet.size()))]; break;
          default: text += std::to_wstring(pick(256));
        }
      }
      if (pick(8) == 0) text.insert(text.begin(), L' ');
      if (pick(8) == 0) text += L'\r';
    } else {
      const int length = pick(18);
      for (int i = 0; i < length; ++i) text += alphabet[pick(static_cast<int>(alphabet.size()))];
    }
    std::wstring trimmed = text;
    Trim(trimmed);
    const bool expected = std::regex_match(trimmed, pattern);
    std::wstring canonical;
    ASSERT_EQ(ValidateAddress(text, &canonical), expected) << Utf16ToUtf8(text);
    if (expected) {
      ++accepted;
      unsigned a, b, c, d;
      ASSERT_EQ(std::swscanf(trimmed.c_str(), L"%u.%u.%u.%u", &a, &b, &c, &d), 4);
      EXPECT_EQ(canonical, FormatString(L"%d.%d.%d.%d", a, b, c, d));
    }
  }
  EXPECT_GT(accepted, 5000);  // the generator must exercise both outcomes
}

}  // namespace
