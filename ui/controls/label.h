// LabelTemplate<T>: a control (T = Control) or box (T = Box) that draws a
// text. The text style starts as single line, not clipped, end ellipsis
// (0x8120) and is changed by `align` keywords; the text colour is chosen by
// state, the font by id from the global font table.
#pragma once

#include <string>

#include "ui/controls/attribute_table.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/controls/default_colors.h"
#include "ui/render/render_context.h"
#include "ui/render/text_style.h"
#include "ui/resources/global_manager.h"

namespace ui {

// The style bits after applying the keywords found in an `align` value.
unsigned ApplyAlignKeywords(unsigned style, const std::wstring& align);

template <typename T>
class LabelTemplate : public T {
 public:
  LabelTemplate() = default;
  ~LabelTemplate() override { this->BeginDestroy(); }

  std::wstring GetType() const override { return L"Label"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;

  // The literal text, or the language string of the text id while the
  // literal text is empty.
  std::wstring GetText() const {
    return text_.empty() ? GlobalManager::GetText(text_id_) : text_;
  }
  void SetText(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    this->Arrange();
  }
  void SetTextId(const std::wstring& id) {
    text_id_ = id;
    this->Arrange();
  }
  unsigned GetTextStyle() const { return text_style_; }
  void SetTextStyle(unsigned style) {
    text_style_ = style;
    this->Arrange();
  }
  const UiRect& GetTextPadding() const { return text_padding_; }
  void SetTextPadding(const UiRect& padding) {
    text_padding_ = padding;
    this->Arrange();
  }
  const std::wstring& GetFont() const { return font_id_; }
  void SetFont(const std::wstring& id) {
    font_id_ = id;
    this->Arrange();
  }
  const std::wstring& GetStateTextColor(ControlState state) const {
    return text_colors_[static_cast<int>(state)];
  }
  void SetStateTextColor(ControlState state, const std::wstring& color_name) {
    text_colors_[static_cast<int>(state)] = color_name;
    this->Invalidate();
  }
  bool IsSingleLine() const { return (text_style_ & kTextSingleLine) != 0; }
  void SetSingleLine(bool on) {
    if (on) text_style_ = (text_style_ | kTextSingleLine) & ~static_cast<unsigned>(kTextWordBreak);
    else text_style_ = (text_style_ & ~static_cast<unsigned>(kTextSingleLine)) | kTextWordBreak;
    this->Arrange();
  }
  bool IsAutoToolTip() const { return auto_tooltip_; }
  // With autotooltip, a text cut short by the label's width is its own
  // tooltip (unless the label has one).
  std::wstring GetToolTipText() const override {
    std::wstring own = T::GetToolTipText();
    if (!own.empty() || !auto_tooltip_) return own;
    std::wstring text = GetText();
    UiRect r = this->GetPos();
    r.Deflate(text_padding_);
    return MeasureText(text, font_id_, kTextSingleLine, 0).cx > r.Width() ? text : std::wstring();
  }

  UiSize EstimateText(UiSize available) override {
    const UiRect& p = text_padding_;
    int width = this->GetFixedWidth() >= 0 ? this->GetFixedWidth() : available.cx;
    int text_width = width - p.left - p.right;
    std::wstring text = GetText();
    // An empty label is as high as one line of its font.
    UiSize s = MeasureText(text.empty() ? std::wstring(L" ") : text, font_id_, text_style_,
                           text_width);
    if (text.empty()) s.cx = 0;
    return {s.cx + p.left + p.right, s.cy + p.top + p.bottom};
  }

 protected:
  // The colour name for the current state (fallbacks: normal text colour,
  // then the process defaults).
  virtual std::wstring CurrentTextColorName() const {
    ControlState state = this->GetState();
    const std::wstring& own = text_colors_[static_cast<int>(state)];
    if (!own.empty()) return own;
    if (state == ControlState::kDisabled) return DefaultColors::Get().disabled_font_color;
    if (!text_colors_[0].empty()) return text_colors_[0];
    return DefaultColors::Get().default_font_color;
  }

  void PaintText(RenderContext& context) override {
    std::wstring text = GetText();
    if (text.empty()) return;
    UiRect r = this->GetPos();
    r.Deflate(text_padding_);
    context.DrawText(text, r, font_id_, this->ResolveColor(CurrentTextColorName()), text_style_);
  }

 private:
  std::wstring text_;
  std::wstring text_id_;
  std::wstring font_id_;
  unsigned text_style_ = kDefaultLabelTextStyle;
  UiRect text_padding_;
  std::wstring text_colors_[4];
  bool auto_tooltip_ = false;
};

template <typename T>
bool LabelTemplate<T>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using Self = LabelTemplate<T>;
  static const AttributeTable<Self> table = {
      {L"align", [](Self& c, const std::wstring& v) { c.SetTextStyle(ApplyAlignKeywords(c.text_style_, v)); }},
      {L"endellipsis",
       [](Self& c, const std::wstring& v) {
         unsigned s = c.text_style_;
         c.SetTextStyle(ParseBool(v) ? (s | kTextEndEllipsis) : (s & ~static_cast<unsigned>(kTextEndEllipsis)));
       }},
      {L"singleline", [](Self& c, const std::wstring& v) { c.SetSingleLine(ParseBool(v)); }},
      {L"text", [](Self& c, const std::wstring& v) { c.SetText(v); }},
      {L"textid", [](Self& c, const std::wstring& v) { c.SetTextId(v); }},
      {L"autotooltip", [](Self& c, const std::wstring& v) { c.auto_tooltip_ = ParseBool(v); }},
      {L"font", [](Self& c, const std::wstring& v) { c.SetFont(v); }},
      {L"normaltextcolor", [](Self& c, const std::wstring& v) { c.SetStateTextColor(ControlState::kNormal, v); }},
      {L"hottextcolor", [](Self& c, const std::wstring& v) { c.SetStateTextColor(ControlState::kHot, v); }},
      {L"pushedtextcolor", [](Self& c, const std::wstring& v) { c.SetStateTextColor(ControlState::kPushed, v); }},
      {L"disabledtextcolor", [](Self& c, const std::wstring& v) { c.SetStateTextColor(ControlState::kDisabled, v); }},
      {L"textpadding", [](Self& c, const std::wstring& v) { c.SetTextPadding(ScaleInsets(ParseRect(v))); }},
  };
  if (table.Apply(*this, name, value)) return true;
  return T::SetAttribute(name, value);
}

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;

}  // namespace ui
