// Text helpers shared by every layer: UTF-8 <-> wide conversion, trimming and
// printf-style wide formatting.
//
// Wide strings hold one code point per element (wchar_t is 32 bits here), so a
// character above U+FFFF is one element, never a surrogate pair.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Decodes UTF-8 by the lenient rules of the Unicode reference converter: an
// illegal sequence anywhere, or a sequence cut off at the end, makes the whole
// result empty. Code points in the surrogate range or above U+10FFFF become
// U+FFFD.
std::wstring Utf8ToUtf16(const char* bytes, std::size_t length);
std::wstring Utf8ToUtf16(std::string_view bytes);

// Encodes to UTF-8. A surrogate pair stored as two elements is combined; a
// lone surrogate or a value above U+10FFFF is written as U+FFFD; a high
// surrogate as the very last element makes the whole result empty.
std::string Utf16ToUtf8(std::wstring_view text);

// Length of the longest prefix of `bytes` that does not end inside a
// multi-byte sequence that could still be completed by more bytes. Readers of
// a byte stream decode that prefix and carry the rest over to the next read.
std::size_t CompleteUtf8Prefix(std::string_view bytes);

// Decodes a UTF-8 byte stream that arrives in pieces of any size, the way a
// command's captured output is decoded: the stream is taken in reads of at
// most kReadSize bytes, the start of a character that a read boundary cut is
// carried over to the next read, and each read is decoded on its own, so
// bytes that are not UTF-8 drop the text of their read only. A character
// still unfinished when the stream ends adds nothing. One thread at a time.
class Utf8StreamDecoder {
 public:
  static constexpr std::size_t kReadSize = 1024;
  using TextSink = std::function<void(std::wstring_view text)>;

  // Decodes the next bytes; `sink` gets the text of every read that has any.
  void Feed(std::string_view bytes, const TextSink& sink);

 private:
  char buffer_[3 + kReadSize];  // a carried unfinished character, then a read
  std::size_t carried_ = 0;
  std::wstring text_;
};

// True for the characters Trim removes: U+0000..U+001D and the blank U+0020.
inline bool IsTrimmable(wchar_t c) { return c <= 0x1D || c == L' '; }

// Removes leading and trailing trimmable characters in place; returns `text`.
std::wstring& Trim(std::wstring& text);

// printf-style formatting into a wide string. As in the format strings of the
// program's texts, "%s" takes a wide string (const wchar_t*) and "%c" a wide
// character; "%d" and the other conversions behave as in swprintf. The result
// has no length limit.
std::wstring FormatString(const wchar_t* format, ...);
