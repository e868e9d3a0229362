// The address list file (ip.txt): panel IPv4 addresses separated by line
// feeds or spaces, with '*' wildcard tokens.
//
// Pure functions without state; any thread may call them.
//
// A token that is a dotted-quad address (after trimming, so CR of CRLF line
// ends and tabs do not matter) gives that address. A token holding '*' gives
// the address with the stars removed, if valid, and then the addresses with
// every star replaced by 0, 1, 2 ... 254, stopping at the first candidate that
// is not valid. So a token gives at most 256 addresses, and the result of a
// file holds at most 256 addresses per token: memory stays proportional to
// the file's size (some 30 KB per token at worst).
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

// What a read left out, so that the user can be shown it.
struct AddressListSkips {
  // Tokens that gave no address, trimmed, in file order. Bytes that are not
  // valid UTF-8 show as U+FFFD.
  std::vector<std::wstring> tokens;
  // The file holds a NUL byte; nothing from there on was read.
  bool ignored_after_nul = false;
};

// The canonical addresses of the file, each once, in code-unit order of the
// text (10.0.0.10 before 10.0.0.9). A missing, unreadable or empty file, or
// one whose first byte is NUL, gives the empty set. A UTF-8 byte-order mark at
// the start is skipped, so the first address counts like any other.
std::set<std::wstring> ReadAddressList(const std::wstring& path);
std::set<std::wstring> ReadAddressList(const std::wstring& path, AddressListSkips* skips);

// True when the text, trimmed (blanks and U+0000..U+001D), is a dotted-quad
// address: four decimal numbers 0..255 without leading zeros, joined by dots,
// nothing else. Then *out (when given) receives that canonical text.
bool ValidateAddress(const std::wstring& text, std::wstring* out = nullptr);

// The non-empty runs of the text between delimiter bytes, in order. The text
// ends at its first NUL byte.
std::vector<std::string> SplitTokens(std::string_view text, std::string_view delimiters);
