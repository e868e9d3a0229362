// The rows of the settings form. A field is a vertical box holding an
// optional caption label and one input control, and reports changes of that
// input to callbacks given to OnChange.
//
// Ownership: a field is owned by the container it is added to; `label` and
// the inputs of the derived fields are its items (the pointers are
// shortcuts). UI thread only.
#pragma once

#include <functional>
#include <type_traits>

#include "ui/controls/box.h"
#include "ui/controls/label.h"
#include "ui/controls/vlayout.h"

class IField : public ui::Box {
 public:
  ~IField() override = default;
};

class SwitchField;

// T is the concrete field (PathField, TextField, SwitchField).
template <typename T>
class Field : public IField {
 public:
  // Takes the field whose input changed.
  using ChangeCallback = std::function<void(T&)>;

  Field() {
    SetAttribute(L"height", L"auto");
    // A switch carries its own text and needs no caption.
    if constexpr (!std::is_same_v<T, SwitchField>) {
      label = new ui::Label;
      label->SetAttribute(L"valign", L"center");
      label->SetAttribute(L"align", L"left");
      label->SetAttribute(L"width", L"auto");
      label->SetAttribute(L"textpadding", L"0,2,5,2");
      label->SetAttribute(L"tabstop", L"false");
      label->SetAttribute(L"font", L"ui_font_label");
      Add(label);
    }
    // Built with the plain layout; the items stack from here on.
    SetLayout(new ui::VLayout);
  }
  ~Field() override = default;

  ui::Label* label = nullptr;
};
