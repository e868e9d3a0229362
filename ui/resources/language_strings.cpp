#include "ui/resources/language_strings.h"

#include <string_view>
#include <vector>

#include "base/text.h"

namespace ui {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

void ParseLine(std::string_view bytes, std::map<std::wstring, std::wstring>& table) {
  // A line that is not valid UTF-8 converts to nothing and is dropped.
  std::wstring line = Utf8ToUtf16(bytes);
  Trim(line);
  if (line.empty()) return;

  std::vector<std::wstring> tokens;
  size_t start = 0;
  while (start <= line.size()) {
    size_t end = line.find(L'=', start);
    if (end == std::wstring::npos) end = line.size();
    if (end > start) tokens.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  if (tokens.size() != 2) return;
  std::wstring key = std::move(tokens[0]);
  std::wstring text = std::move(tokens[1]);
  Trim(key);
  Trim(text);
  if (key.empty() || key.find(L';') != std::wstring::npos) return;
  table[key] = text;
}

}  // namespace

void ParseLanguageStrings(const std::string& data, std::map<std::wstring, std::wstring>& table) {
  std::string_view rest(data);
  if (rest.substr(0, kUtf8Bom.size()) == kUtf8Bom) rest.remove_prefix(kUtf8Bom.size());
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    ParseLine(rest.substr(0, end), table);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

}  // namespace ui
