#include "sim/shell_words.h"

namespace sim {

std::vector<ShellWord> SplitShellWords(const std::string& line) {
  std::vector<ShellWord> words;
  std::string current;
  bool in_word = false;
  auto finish = [&] {
    if (in_word) words.push_back({current, false});
    current.clear();
    in_word = false;
  };
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      finish();
    } else if (c == ';') {
      finish();
      words.push_back({";", true});
    } else if ((c == '&' || c == '|') && i + 1 < line.size() && line[i + 1] == c) {
      finish();
      words.push_back({std::string(2, c), true});
      ++i;
    } else if (c == '\'') {
      in_word = true;
      const size_t end = line.find('\'', i + 1);
      const size_t stop = end == std::string::npos ? line.size() : end;
      current.append(line, i + 1, stop - i - 1);
      i = stop;
    } else if (c == '"') {
      in_word = true;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '$'))
          ++i;
        current += line[i];
      }
    } else if (c == '\\' && i + 1 < line.size()) {
      in_word = true;
      current += line[++i];
    } else {
      in_word = true;
      current += c;
    }
  }
  finish();
  return words;
}

}  // namespace sim
