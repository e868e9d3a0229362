#include "ui/controls/default_colors.h"

namespace ui {

DefaultColors& DefaultColors::Get() {
  static DefaultColors colors;
  return colors;
}

bool DefaultColors::SetAttribute(const std::wstring& name, const std::wstring& value) {
  DefaultColors& c = Get();
  if (name == L"defaultfontcolor") c.default_font_color = value;
  else if (name == L"disabledfontcolor") c.disabled_font_color = value;
  else if (name == L"linkfontcolor") c.link_font_color = value;
  else if (name == L"linkhoverfontcolor") c.link_hover_font_color = value;
  else if (name == L"selectedcolor") c.selected_color = value;
  else return false;
  return true;
}

void DefaultColors::Reset() { Get() = DefaultColors{}; }

}  // namespace ui
