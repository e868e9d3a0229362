// Process-wide default colour names, set by the root attributes of
// "global.xml": the text colours controls use when they name none.
#pragma once

#include <string>

namespace ui {

struct DefaultColors {
  std::wstring default_font_color = L"textdefaultcolor";
  std::wstring disabled_font_color = L"textdefaultdisablecolor";
  std::wstring link_font_color;
  std::wstring link_hover_font_color;
  std::wstring selected_color;

  // The one table of the process (UI thread only).
  static DefaultColors& Get();
  // Root attribute of a Global document; false for other names.
  static bool SetAttribute(const std::wstring& name, const std::wstring& value);
  static void Reset();
};

}  // namespace ui
