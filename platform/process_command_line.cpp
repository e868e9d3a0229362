#include "platform/process_command_line.h"

namespace platform {

std::vector<std::wstring> SplitCommandLine(std::wstring_view command_line) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool in_word = false;
  bool quoted = false;
  for (const wchar_t c : command_line) {
    if (c == L'"') {
      quoted = !quoted;
      in_word = true;  // a quoted stretch makes a word even when empty
    } else if (!quoted && (c == L' ' || c == L'\t')) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

}  // namespace platform
