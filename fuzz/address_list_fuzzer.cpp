// The ip.txt reader on arbitrary file contents: every address it returns is
// canonical and valid, no token gives more than 256 of them, and a token is
// valid exactly when, trimmed, it matches the documented address pattern.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <string_view>

#include "app/address_list.h"
#include "base/text.h"
#include "fuzz/fuzz_check.h"

namespace {

// Four decimal numbers 0..255 without leading zeros, joined by dots.
bool IsCanonical(const std::wstring& text) {
  int parts = 0;
  size_t i = 0;
  while (i <= text.size()) {
    size_t end = text.find(L'.', i);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring_view part(text.data() + i, end - i);
    if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == L'0')) return false;
    int value = 0;
    for (wchar_t c : part) {
      if (c < L'0' || c > L'9') return false;
      value = value * 10 + (c - L'0');
    }
    if (value > 255) return false;
    ++parts;
    i = end + 1;
  }
  return parts == 4;
}

bool MatchesAddressPattern(std::wstring token) {
  static const std::wregex pattern(
      L"((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\\.){3}"
      L"(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])");
  Trim(token);
  return std::regex_match(token, pattern);
}

const std::string& ScratchFile() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/fuzz-ip-" +
           std::to_string(getpid()) + ".txt";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());

  const std::vector<std::string> tokens = SplitTokens(bytes, "\n ");
  for (const std::string& token : tokens) {
    FUZZ_CHECK(!token.empty());
    FUZZ_CHECK(token.find_first_of(std::string_view("\n \0", 3)) == std::string::npos);
    FUZZ_CHECK(bytes.find(token) != std::string_view::npos);
  }

  AddressListSkips skips;
  const std::set<std::wstring> addresses = ReadAddressList(Utf8ToUtf16(ScratchFile()), &skips);
  FUZZ_CHECK(addresses.size() <= 256 * tokens.size());
  FUZZ_CHECK(skips.tokens.size() <= tokens.size());
  for (const std::wstring& address : addresses) {
    FUZZ_CHECK(IsCanonical(address));
    std::wstring canonical;
    FUZZ_CHECK(ValidateAddress(address, &canonical));
    FUZZ_CHECK(canonical == address);
  }
  // Validation agrees with the pattern and the canonical form on any token
  // (the pattern is skipped for long tokens, which would only deepen the
  // pattern engine's recursion).
  for (const std::string& token : tokens) {
    std::wstring canonical;
    const bool valid = ValidateAddress(Utf8ToUtf16(token), &canonical);
    if (token.size() <= 64) FUZZ_CHECK(valid == MatchesAddressPattern(Utf8ToUtf16(token)));
    if (valid) {
      FUZZ_CHECK(IsCanonical(canonical));
      FUZZ_CHECK(addresses.count(canonical) == 1);
    }
  }
  return 0;
}
