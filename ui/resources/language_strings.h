// Parser of the language file "gdstrings.ini": one "key = text" per line.
//
// The text is UTF-8; a byte-order mark at the start is skipped. Lines end at
// LF and may be of any length. Each line is trimmed (blanks and characters
// up to U+001D, so CR and tabs too); a line counts only when "=" splits it
// into exactly two non-empty parts, and a key containing ";" is a comment.
// A text that itself holds "=" therefore drops its line. Later keys win.
// Pure function; any thread.
#pragma once

#include <map>
#include <string>

namespace ui {

void ParseLanguageStrings(const std::string& data, std::map<std::wstring, std::wstring>& table);

}  // namespace ui
