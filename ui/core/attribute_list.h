// The attribute-list syntax of classes, `applyattribute` and code:
//   name1="value1" name2="value2"
// Items are separated by exactly one space; a value cannot hold a double
// quote. Any deviation ends the list; the items before it are kept.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ui {

using AttributeList = std::vector<std::pair<std::wstring, std::wstring>>;

AttributeList ParseAttributeList(const std::wstring& list);

}  // namespace ui
