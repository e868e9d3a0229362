#include "settings/text_field.h"

#include <algorithm>

std::wstring StripLineBreaks(std::wstring text) {
  std::erase_if(text, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
  return text;
}

TextField::TextField() {
  input = new ui::RichEdit;
  // One value per field: a single-line input, so that neither Return nor a
  // paste can put a line break into the value (and so into settings.ini).
  input->SetAttribute(L"multiline", L"false");
  input->SetAttribute(L"autohscroll", L"true");
  input->SetAttribute(L"wantreturnmsg", L"true");
  input->SetAttribute(L"wanttab", L"false");
  input->SetAttribute(L"rich", L"false");
  input->SetAttribute(L"normaltextcolor", L"darkcolor");
  input->SetAttribute(L"disabledtextcolor", L"textdefaultdisablecolor");
  input->SetAttribute(L"class", L"input prompt");
  input->SetAttribute(L"height", L"25");
  input->SetAttribute(L"width", L"stretch");
  input->SetAttribute(L"padding", L"5,0,5,0");
  input->SetAttribute(L"align", L"vcenter");
  Add(input);
}

TextField::~TextField() {
  // Nothing bound to this field may run while its parts are torn down.
  input->DetachEvent(ui::kEventTextChange);
  BeginDestroy();
}

void TextField::OnChange(ChangeCallback callback) {
  input->AttachTextChange([this, callback = std::move(callback)](const ui::EventArgs&) {
    if (!input->IsReadOnly()) callback(*this);
    return true;
  });
}

void TextField::Bind(Var<std::wstring>& var) {
  input->SetText(var.value);
  // The input raises nothing for the text it already holds, so the echo
  // input -> var -> listener -> input ends after one write.
  WatchVar(var, [this, &var] { input->SetText(var.value); });
  OnChange([&var](TextField& field) {
    if (field.input->IsReadOnly()) return;
    var.value = StripLineBreaks(field.input->GetText());
    NotifyVar(var);
  });
  AttachEvent(ui::kEventDestroy, [&var](const ui::EventArgs&) {
    UnwatchVar(var);
    return true;
  });
}
