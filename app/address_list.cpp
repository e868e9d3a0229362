#include "app/address_list.h"

#include "base/text.h"
#include "platform/file_util.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Wildcard candidates substitute 0 .. 254; 255 itself is never tried.
constexpr int kWildcardValues = 255;

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// One octet of the address pattern: 25[0-5] | 2[0-4][0-9] | 1[0-9][0-9] |
// [1-9][0-9] | [0-9], i.e. 0..255 without a leading zero.
bool IsOctet(std::wstring_view text) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (wchar_t c : text) {
    if (!IsAsciiDigit(c)) return false;
    value = value * 10 + (c - L'0');
  }
  return (text.size() == 1 || text.front() != L'0') && value <= 255;
}

// Whole-text match of the dotted-quad pattern, without building a regular
// expression for each of the up to 256 candidates of a wildcard token.
bool IsDottedQuad(std::wstring_view text) {
  for (int octet = 0; octet < 4; ++octet) {
    const std::size_t dot = text.find(L'.');
    const bool last = octet == 3;
    if (last != (dot == std::wstring_view::npos)) return false;
    if (!IsOctet(text.substr(0, dot))) return false;
    if (!last) text.remove_prefix(dot + 1);
  }
  return true;
}

std::string ReplaceStars(const std::string& token, std::string_view replacement) {
  std::string result;
  result.reserve(token.size() + 2 * replacement.size());
  for (char c : token) {
    if (c == '*') {
      result += replacement;
    } else {
      result += c;
    }
  }
  return result;
}

bool InsertIfAddress(const std::string& candidate, std::set<std::wstring>* addresses) {
  std::wstring canonical;
  if (!ValidateAddress(Utf8ToUtf16(candidate), &canonical)) return false;
  addresses->insert(std::move(canonical));
  return true;
}

// Returns whether the token gave at least one address.
bool AddToken(const std::string& token, std::set<std::wstring>* addresses) {
  if (InsertIfAddress(token, addresses)) return true;
  if (token.find('*') == std::string::npos) return false;
  bool any = InsertIfAddress(ReplaceStars(token, ""), addresses);
  for (int i = 0; i < kWildcardValues; ++i) {
    if (!InsertIfAddress(ReplaceStars(token, std::to_string(i)), addresses)) break;
    any = true;
  }
  return any;
}

// The token as text for a message: decoded, or with every byte that is not
// ASCII shown as U+FFFD when it is not valid UTF-8.
std::wstring DisplayText(const std::string& token) {
  std::wstring text = Utf8ToUtf16(token);
  if (text.empty()) {
    for (char c : token) {
      const auto byte = static_cast<unsigned char>(c);
      text += byte < 0x80 ? static_cast<wchar_t>(byte) : L'\xFFFD';
    }
  }
  return Trim(text);
}

}  // namespace

bool ValidateAddress(const std::wstring& text, std::wstring* out) {
  std::wstring trimmed = text;
  Trim(trimmed);
  if (!IsDottedQuad(trimmed)) return false;
  // A matching text is already canonical: no leading zeros, nothing around.
  if (out != nullptr) *out = std::move(trimmed);
  return true;
}

std::vector<std::string> SplitTokens(std::string_view text, std::string_view delimiters) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> tokens;
  std::size_t start = text.find_first_not_of(delimiters);
  while (start != std::string_view::npos) {
    const std::size_t end = text.find_first_of(delimiters, start);
    tokens.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = text.find_first_not_of(delimiters, end);
  }
  return tokens;
}

std::set<std::wstring> ReadAddressList(const std::wstring& path) {
  AddressListSkips ignored;
  return ReadAddressList(path, &ignored);
}

std::set<std::wstring> ReadAddressList(const std::wstring& path, AddressListSkips* skips) {
  *skips = {};
  std::set<std::wstring> addresses;
  std::string bytes;
  if (!platform::ReadFileBytes(path, &bytes)) return addresses;
  // Editors on Windows put a byte-order mark in front; without skipping it
  // the first address would silently drop out of the run.
  std::string_view text = bytes;
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  skips->ignored_after_nul = text.find('\0') != std::string_view::npos;
  for (const std::string& token : SplitTokens(text, "\n ")) {
    if (!AddToken(token, &addresses)) {
      std::wstring shown = DisplayText(token);
      // A token of blanks only (a tab, a stray CR) is no more than spacing.
      if (!shown.empty()) skips->tokens.push_back(std::move(shown));
    }
  }
  return addresses;
}
