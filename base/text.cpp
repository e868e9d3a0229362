#include "base/text.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Expected length of a sequence from its lead byte; 0 for a byte that cannot
// start one (continuation bytes, C0/C1 overlong leads, F5..FF).
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 0;
}

// Whether the second byte is allowed after `lead` (rules out overlongs,
// encoded surrogates and values above U+10FFFF, as the reference converter).
bool SecondByteAllowed(unsigned char lead, unsigned char second) {
  switch (lead) {
    case 0xE0: return second >= 0xA0 && second <= 0xBF;
    case 0xED: return second >= 0x80 && second <= 0x9F;
    case 0xF0: return second >= 0x90 && second <= 0xBF;
    case 0xF4: return second >= 0x80 && second <= 0x8F;
    default: return second >= 0x80 && second <= 0xBF;
  }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::wstring Utf8ToUtf16(const char* bytes, std::size_t length) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  std::wstring out;
  out.reserve(length);
  std::size_t i = 0;
  while (i < length) {
    const unsigned char lead = p[i];
    const int n = SequenceLength(lead);
    if (n == 0 || i + n > length) return {};
    char32_t cp = n == 1 ? lead : lead & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
      const unsigned char b = p[i + k];
      if (k == 1 ? !SecondByteAllowed(lead, b) : !IsContinuation(b)) return {};
      cp = (cp << 6) | (b & 0x3F);
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    out += static_cast<wchar_t>(cp);
    i += n;
  }
  return out;
}

std::wstring Utf8ToUtf16(std::string_view bytes) {
  return Utf8ToUtf16(bytes.data(), bytes.size());
}

std::string Utf16ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 == text.size()) return {};
      const char32_t low = static_cast<char32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      } else {
        cp = kReplacement;
      }
    } else if ((cp >= 0xDC00 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::size_t CompleteUtf8Prefix(std::string_view bytes) {
  // Only the last three bytes can belong to an unfinished sequence.
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if (IsContinuation(byte)) continue;
    const int n = SequenceLength(byte);
    if (n > static_cast<int>(back)) {
      // Held back only if what has arrived so far could still be legal.
      const std::size_t start = size - back;
      if (back >= 2 && !SecondByteAllowed(byte, static_cast<unsigned char>(bytes[start + 1])))
        return size;
      return start;
    }
    return size;
  }
  return size;
}

namespace {

bool IsAscii(std::string_view bytes) {
  unsigned char any_high = 0;
  for (const char c : bytes) any_high |= static_cast<unsigned char>(c);
  return any_high < 0x80;
}

}  // namespace

void Utf8StreamDecoder::Feed(std::string_view bytes, const TextSink& sink) {
  while (!bytes.empty()) {
    const std::size_t read = std::min(bytes.size(), kReadSize);
    std::memcpy(buffer_ + carried_, bytes.data(), read);
    bytes.remove_prefix(read);
    const std::string_view buffered(buffer_, carried_ + read);
    const std::size_t complete = CompleteUtf8Prefix(buffered);
    const std::string_view whole = buffered.substr(0, complete);
    // Most output is ASCII, which decodes to itself without the converter.
    if (IsAscii(whole)) text_.assign(whole.begin(), whole.end());
    else text_ = Utf8ToUtf16(whole);
    if (!text_.empty()) sink(text_);
    carried_ = buffered.size() - complete;
    std::memmove(buffer_, buffer_ + complete, carried_);
  }
}

std::wstring& Trim(std::wstring& text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsTrimmable(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && IsTrimmable(text[end - 1])) --end;
  text.erase(end);
  text.erase(0, begin);
  return text;
}

namespace {

// glibc's wide printf reads "%s" as a narrow string; the program's format
// strings mean wide ones, so plain "%s"/"%c" become "%ls"/"%lc".
std::wstring WidenConversions(const wchar_t* format) {
  std::wstring out;
  for (const wchar_t* p = format; *p; ++p) {
    out += *p;
    if (*p != L'%') continue;
    if (p[1] == L'%') {
      out += *++p;
      continue;
    }
    while (p[1] && std::wcschr(L"-+ #0123456789.*", p[1])) out += *++p;
    if (p[1] == L's' || p[1] == L'c') out += L'l';
  }
  return out;
}

}  // namespace

std::wstring FormatString(const wchar_t* format, ...) {
  const std::wstring wide_format = WidenConversions(format);
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    const int written = std::vswprintf(buffer.data(), buffer.size(), wide_format.c_str(), args);
    va_end(args);
    if (written >= 0 && static_cast<std::size_t>(written) < buffer.size())
      return std::wstring(buffer.data(), written);
    // vswprintf reports a short buffer as -1; give up only on absurd sizes.
    if (buffer.size() >= (std::size_t{1} << 26)) return {};
    buffer.resize(buffer.size() * 4);
  }
}
