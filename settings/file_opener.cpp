#include "settings/file_opener.h"

#include <cstdlib>
#include <sstream>

#include "platform/detached_process.h"

namespace {

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

std::vector<std::vector<std::string>> FileOpenCommands(const std::string& path) {
  std::vector<std::vector<std::string>> commands;
  commands.push_back({"xdg-open", path});
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    const char* value = std::getenv(variable);
    std::vector<std::string> command = SplitAtBlanks(value ? value : "");
    if (command.empty()) continue;
    command.push_back(path);
    commands.push_back(std::move(command));
  }
  return commands;
}

bool OpenFileDetached(const std::string& path) {
  for (const std::vector<std::string>& command : FileOpenCommands(path)) {
    if (platform::LaunchDetached(command)) return true;
  }
  return false;
}
