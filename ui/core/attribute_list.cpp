#include "ui/core/attribute_list.h"

namespace ui {

AttributeList ParseAttributeList(const std::wstring& list) {
  AttributeList items;
  size_t pos = 0;
  const size_t n = list.size();
  while (pos < n) {
    size_t eq = list.find(L'=', pos);
    if (eq == std::wstring::npos || eq == pos) break;
    std::wstring name = list.substr(pos, eq - pos);
    if (name.find_first_of(L" \"") != std::wstring::npos) break;
    if (eq + 1 >= n || list[eq + 1] != L'"') break;
    size_t close = list.find(L'"', eq + 2);
    if (close == std::wstring::npos) break;
    items.emplace_back(std::move(name), list.substr(eq + 2, close - eq - 2));
    pos = close + 1;
    // Another item follows only after exactly one space and a character.
    if (pos + 1 < n && list[pos] == L' ' && list[pos + 1] != L' ') {
      ++pos;
      continue;
    }
    break;
  }
  return items;
}

}  // namespace ui
