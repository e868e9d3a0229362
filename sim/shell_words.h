// Splits a shell command line the way the panel's /system/bin/sh would for
// the simple commands adb sends: words separated by blanks, '…' and "…"
// quoting, backslash escapes, and the separators ";", "&&" and "||" as words
// of their own. No expansion, no redirection. Pure function.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct ShellWord {
  std::string text;
  bool is_operator = false;  // ";", "&&" or "||"
};

std::vector<ShellWord> SplitShellWords(const std::string& line);

}  // namespace sim
