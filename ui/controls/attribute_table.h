// A per-class table from markup attribute name to setter, so that a new
// attribute is one line in the class that owns it.
#pragma once

#include <initializer_list>
#include <string>
#include <unordered_map>
#include <utility>

namespace ui {

template <typename T>
class AttributeTable {
 public:
  using Setter = void (*)(T&, const std::wstring&);

  AttributeTable(std::initializer_list<std::pair<const wchar_t*, Setter>> entries) {
    for (const auto& [name, setter] : entries) setters_.emplace(name, setter);
  }

  // False when the table does not know `name`.
  bool Apply(T& target, const std::wstring& name, const std::wstring& value) const {
    auto it = setters_.find(name);
    if (it == setters_.end()) return false;
    it->second(target, value);
    return true;
  }

 private:
  std::unordered_map<std::wstring, Setter> setters_;
};

}  // namespace ui
