// Splitting a Windows-style command line into the argv of a child.
//
// Command lines are built and shown as one string, as on Windows, but a child
// is always started from an argv, never through a shell, so nothing in the
// line is interpreted beyond these rules:
//   - blanks (space, tab) separate words; runs of blanks make no empty words;
//   - a double quote starts or ends a quoted stretch, in which blanks are part
//     of the word; the quotes themselves are removed ("" is an empty word);
//   - every other character, the backslash included, is taken literally:
//     paths here use '/', and a Linux file name may hold a backslash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::vector<std::wstring> SplitCommandLine(std::wstring_view command_line);

}  // namespace platform
