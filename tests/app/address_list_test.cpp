#include "app/address_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

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

// A byte order mark must not swallow the first address either.
TEST_F(AddressListTest, CrlfTabsBlankLinesAndSpacesSeparateAddresses) {
  EXPECT_EQ(Read("\xEF\xBB\xBF" "192.168.1.5\r\n\t10.0.0.1\t\r\n\r\n  10.0.0.2 10.0.0.3\n\n"),
            (Addresses{L"10.0.0.1", L"10.0.0.2", L"10.0.0.3", L"192.168.1.5"}));
  EXPECT_TRUE(skips_.tokens.empty());  // a stray CR or tab is spacing, not a skipped entry
  EXPECT_FALSE(skips_.ignored_after_nul);
}

TEST_F(AddressListTest, OrderIsTextualAndDuplicatesCountOnce) {
  EXPECT_EQ(Read("10.0.0.9\n10.0.0.10\n10.0.0.2\n10.0.0.9\r\n10.0.0.1*\n"),
            Sorted(Concat({{L"10.0.0.1"}, Range(L"10.0.0.", 10, 19), Range(L"10.0.0.", 110, 199),
                           {L"10.0.0.2", L"10.0.0.9"}})));
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

// A star expands to the octets its digits allow, the same in every starred
// octet. Alone it gives 0..254: the candidate "192.168.1." is not an address,
// and 255 itself is never tried.
TEST_F(AddressListTest, WildcardsExpandInAnyOctet) {
  auto each = [](const std::function<std::wstring(const std::wstring&)>& make) {
    Addresses all;
    for (int i = 0; i <= 254; ++i) all.push_back(make(std::to_wstring(i)));
    return Sorted(all);
  };
  const std::pair<const char*, Addresses> cases[] = {
      {"192.168.1.*\r\n", Sorted(Range(L"192.168.1.", 0, 254))},
      {"192.168.1.1*", Sorted(Concat({{L"192.168.1.1"}, Range(L"192.168.1.", 10, 19), Range(L"192.168.1.", 110, 199)}))},
      {"192.168.1.2*", Sorted(Concat({{L"192.168.1.2"}, Range(L"192.168.1.", 20, 29), Range(L"192.168.1.", 210, 255)}))},
      {"192.168.1.*5", {L"192.168.1.5"}},
      {"*.1.1.1", each([](const std::wstring& n) { return n + L".1.1.1"; })},
      {"1.*.1.1", each([](const std::wstring& n) { return L"1." + n + L".1.1"; })},
      {"*.*.*.*", each([](const std::wstring& n) { return n + L"." + n + L"." + n + L"." + n; })},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Read(text), expected) << text;
  EXPECT_EQ(Read("1*.0.0.1").size(), 101u);  // 1, 10..19, 110..199
  EXPECT_TRUE(skips_.tokens.empty());
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

}  // namespace
