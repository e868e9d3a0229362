// UTF-8 <-> wide conversion, the complete-prefix scan and trimming.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"

namespace {

// Strict UTF-8 validity (shortest forms, no surrogates, at most U+10FFFF):
// exactly the inputs whose conversion must round-trip.
bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = uint8_t(s[i]);
    size_t length;
    char32_t cp;
    if (c < 0x80) { ++i; continue; }
    if (c >= 0xC2 && c <= 0xDF) { length = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { length = 3; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { length = 4; cp = c & 0x07; }
    else return false;
    if (i + length > s.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char t = uint8_t(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = cp << 6 | (t & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

void CheckConversion(std::string_view bytes) {
  const std::wstring wide = Utf8ToUtf16(bytes);
  FUZZ_CHECK(wide.size() <= bytes.size());
  if (IsValidUtf8(bytes)) {
    FUZZ_CHECK(wide.empty() == bytes.empty());
    FUZZ_CHECK(Utf16ToUtf8(wide) == bytes);
  } else {
    // Everything the lenient rules still accept is well-formed apart from
    // surrogates and values above U+10FFFF, which become U+FFFD.
    if (!wide.empty()) {
      for (wchar_t c : wide) FUZZ_CHECK(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));
    }
  }
}

void CheckPrefix(std::string_view bytes) {
  const size_t prefix = CompleteUtf8Prefix(bytes);
  FUZZ_CHECK(prefix <= bytes.size());
  FUZZ_CHECK(bytes.size() - prefix < 4);
}

void CheckTrim(std::string_view bytes) {
  // Every byte as one character, so control characters and blanks abound.
  std::wstring original;
  for (char c : bytes) original.push_back(wchar_t(uint8_t(c)));
  std::wstring trimmed = original;
  Trim(trimmed);
  if (!trimmed.empty()) {
    FUZZ_CHECK(!IsTrimmable(trimmed.front()) && !IsTrimmable(trimmed.back()));
  }
  FUZZ_CHECK(original.find(trimmed) != std::wstring::npos);
  std::wstring again = trimmed;
  FUZZ_CHECK(Trim(again) == trimmed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckConversion(bytes);
  CheckPrefix(bytes);
  CheckTrim(bytes);
  // A wide text of arbitrary 32-bit values never makes the encoder misbehave,
  // and what it writes decodes again.
  std::wstring wide;
  for (size_t i = 0; i + 4 <= size; i += 4) {
    wide.push_back(wchar_t(uint32_t(data[i]) | uint32_t(data[i + 1]) << 8 |
                           uint32_t(data[i + 2]) << 16 | uint32_t(data[i + 3]) << 24));
  }
  const std::string encoded = Utf16ToUtf8(wide);
  FUZZ_CHECK(CompleteUtf8Prefix(encoded) == encoded.size());
  if (!encoded.empty()) FUZZ_CHECK(!Utf8ToUtf16(encoded).empty());
  return 0;
}
