// Text helpers shared by every layer: UTF-8 <-> wide conversion, trimming and
// printf-style wide formatting.
//
// Wide strings hold one code point per element (wchar_t is 32 bits here), so a
// character above U+FFFF is one element, never a surrogate pair.
#pragma once

#include <cstddef>
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

// True for the characters Trim removes: U+0000..U+001D and the blank U+0020.
inline bool IsTrimmable(wchar_t c) { return c <= 0x1D || c == L' '; }

// Removes leading and trailing trimmable characters in place; returns `text`.
std::wstring& Trim(std::wstring& text);

// printf-style formatting into a wide string. As in the format strings of the
// program's texts, "%s" takes a wide string (const wchar_t*) and "%c" a wide
// character; "%d" and the other conversions behave as in swprintf. The result
// has no length limit.
std::wstring FormatString(const wchar_t* format, ...);
