#include "ui/controls/default_colors.h"

#include "ui/controls/attribute_table.h"

namespace ui {

DefaultColors& DefaultColors::Get() {
  static DefaultColors colors;
  return colors;
}

bool DefaultColors::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using Self = DefaultColors;
  static const AttributeTable<Self> table = {
      {L"defaultfontcolor", [](Self& c, const std::wstring& v) { c.default_font_color = v; }},
      {L"disabledfontcolor", [](Self& c, const std::wstring& v) { c.disabled_font_color = v; }},
      {L"linkfontcolor", [](Self& c, const std::wstring& v) { c.link_font_color = v; }},
      {L"linkhoverfontcolor", [](Self& c, const std::wstring& v) { c.link_hover_font_color = v; }},
      {L"selectedcolor", [](Self& c, const std::wstring& v) { c.selected_color = v; }},
  };
  return table.Apply(Get(), name, value);
}

void DefaultColors::Reset() { Get() = DefaultColors{}; }

}  // namespace ui
