#include "settings/switch_field.h"

#include "ui/render/text_style.h"

SwitchField::SwitchField() {
  checkbox = new ui::CheckBox;
  checkbox->SetAttribute(L"class", L"checkbox_font12");
  checkbox->SetAttribute(L"width", L"stretch");
  checkbox->SetAttribute(L"margin", L"0,5,0,10");
  checkbox->SetAttribute(L"align", L"left");
  checkbox->SetAttribute(L"font", L"ui_font_label");
  // Centred on the box picture, which the class centres in the row.
  checkbox->SetTextStyle(checkbox->GetTextStyle() | ui::kTextVCenter | ui::kTextSingleLine);
  Add(checkbox);
}

SwitchField::~SwitchField() { BeginDestroy(); }

void SwitchField::OnChange(ChangeCallback callback) {
  auto handler = [this, callback = std::move(callback)](const ui::EventArgs&) {
    callback(*this);
    return true;
  };
  checkbox->AttachSelect(handler);
  checkbox->AttachUnSelect(handler);
}

void SwitchField::Bind(Var<bool>& var) {
  checkbox->Selected(var.value, true);
  WatchVar(var, [this, &var] { checkbox->Selected(var.value, true); });
  // The check box raises nothing for the state it already has, and equal
  // states are not stored again, so the exchange ends here.
  OnChange([&var](SwitchField& field) {
    const bool selected = field.checkbox->IsSelected();
    if (selected == var.value) return;
    var.value = selected;
    NotifyVar(var);
  });
  AttachEvent(ui::kEventDestroy, [&var](const ui::EventArgs&) {
    UnwatchVar(var);
    return true;
  });
}
