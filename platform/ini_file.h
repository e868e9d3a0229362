// INI files with the reading and writing rules of the Windows private-profile
// functions, kept under their names.
//
// File shape: "[section]" header lines, "key=value" lines, comment lines
// starting with ';' or '#', blank lines; lines before the first header belong
// to no section. UTF-8 text (a leading byte-order mark is allowed and kept);
// LF or CRLF line ends (new lines follow the file's first line).
//
// Reading: section and key names compare case-insensitively (ASCII letters);
// the first matching key wins; blanks around a value are dropped and one pair
// of matching surrounding double or single quotes is stripped. A missing
// file, section or key gives the default. Reading never creates anything.
//
// Writing: rewrites the whole file atomically (see WriteFileAtomically), so
// other sections, keys, comments and blank lines stay byte for byte and a
// crash leaves the old or the new file. A missing section is appended at the
// end, a missing key after the section's last key. A value that reading would
// alter (blanks or quotes at its ends) is written inside double quotes, so it
// reads back unchanged. Names or values holding CR, LF or NUL are refused, as
// are names that would not read back as themselves (empty, blanks at the
// ends, '=' or a leading '[', ';' or '#' in a key, ']' in a section): the call
// fails and the file stays untouched. Every write reports failure honestly.
//
// No state is kept between calls. Two processes writing the same file at once
// do not corrupt it, but one of the two updates may be lost.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The value of `key` in `section`, or `default_value` when there is none, cut
// to `buffer_chars - 1` characters as a buffer of that size would hold it.
std::wstring GetPrivateProfileString(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& default_value,
                                     std::size_t buffer_chars, const std::wstring& path);

// The value read as an integer: an optional sign and the leading decimal
// digits ("12abc" is 12, "yes" is 0, "-1" is 4294967295). A missing or empty
// value gives `default_value`. A number too large for 32 bits saturates, so it
// never wraps round to 0.
unsigned int GetPrivateProfileInt(const std::wstring& section, const std::wstring& key,
                                  int default_value, const std::wstring& path);

// Sets one key (creating the file and section as needed).
bool WritePrivateProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& value, const std::wstring& path);

// Sets several keys of one section in a single atomic rewrite: either all of
// them are stored or, on failure, none.
using IniEntries = std::vector<std::pair<std::wstring, std::wstring>>;
bool WritePrivateProfileStrings(const std::wstring& section, const IniEntries& entries,
                                const std::wstring& path);

}  // namespace platform
