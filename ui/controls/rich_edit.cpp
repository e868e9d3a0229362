#include "ui/controls/rich_edit.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/controls/default_colors.h"
#include "ui/core/window.h"
#include "ui/render/render_context.h"
#include "ui/render/text_style.h"
#include "ui/resources/global_manager.h"

namespace ui {

namespace {
constexpr uint32_t kDefaultCaretColor = 0xFF000000;
constexpr wchar_t kPasswordChar = L'*';
}  // namespace

RichEdit::RichEdit() { SetCursorType(CursorType::kIBeam); }

bool RichEdit::SetAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<RichEdit> table = {
      {L"autovscroll", [](RichEdit& c, const std::wstring& v) { c.auto_vscroll_ = ParseBool(v); }},
      {L"autohscroll", [](RichEdit& c, const std::wstring& v) { c.auto_hscroll_ = ParseBool(v); }},
      {L"multiline", [](RichEdit& c, const std::wstring& v) { c.multi_line_ = ParseBool(v); }},
      {L"readonly", [](RichEdit& c, const std::wstring& v) { c.read_only_ = ParseBool(v); }},
      {L"password", [](RichEdit& c, const std::wstring& v) { c.password_ = ParseBool(v); }},
      {L"number", [](RichEdit& c, const std::wstring& v) { c.number_only_ = ParseBool(v); }},
      {L"align",
       [](RichEdit& c, const std::wstring& v) {
         unsigned s = 0;
         if (v.find(L"hcenter") != std::wstring::npos) s |= kTextCenter;
         if (v.find(L"right") != std::wstring::npos) s |= kTextRight;
         if (v.find(L"vcenter") != std::wstring::npos) s |= kTextVCenter;
         if (v.find(L"bottom") != std::wstring::npos) s |= kTextBottom;
         c.align_style_ = s;
         c.Invalidate();
       }},
      {L"normaltextcolor", [](RichEdit& c, const std::wstring& v) { c.text_colors_[0] = v; }},
      {L"disabledtextcolor", [](RichEdit& c, const std::wstring& v) { c.text_colors_[3] = v; }},
      {L"caretcolor", [](RichEdit& c, const std::wstring& v) { c.caret_color_ = v; }},
      {L"promptmode", [](RichEdit& c, const std::wstring& v) { c.prompt_mode_ = ParseBool(v); }},
      {L"promptcolor", [](RichEdit& c, const std::wstring& v) { c.prompt_color_ = v; }},
      {L"prompttext", [](RichEdit& c, const std::wstring& v) { c.SetPromptText(v); }},
      {L"prompttextid", [](RichEdit& c, const std::wstring& v) { c.prompt_text_id_ = v; }},
      {L"focusedimage", [](RichEdit& c, const std::wstring& v) { c.focused_image_.SetDescriptor(v); }},
      {L"font", [](RichEdit& c, const std::wstring& v) { c.font_id_ = v; c.Arrange(); }},
      {L"text", [](RichEdit& c, const std::wstring& v) { c.SetText(v); }},
      {L"textid", [](RichEdit& c, const std::wstring& v) { c.SetTextId(v); }},
      {L"wanttab", [](RichEdit& c, const std::wstring& v) { c.want_tab_ = ParseBool(v); }},
      {L"wantreturnmsg", [](RichEdit& c, const std::wstring& v) { c.want_return_msg_ = ParseBool(v); }},
      {L"returnmsgwantctrl", [](RichEdit& c, const std::wstring& v) { c.return_msg_want_ctrl_ = ParseBool(v); }},
      {L"rich", [](RichEdit& c, const std::wstring& v) { c.rich_ = ParseBool(v); }},
      {L"maxchar", [](RichEdit& c, const std::wstring& v) { c.max_char_ = std::max(0, ParseInt(v)); }},
  };
  if (table.Apply(*this, name, value)) return true;
  return ScrollableBox::SetAttribute(name, value);
}

std::wstring RichEdit::GetText() const {
  return text_.empty() ? GlobalManager::GetText(text_id_) : text_;
}

void RichEdit::SetText(const std::wstring& text) {
  caret_ = anchor_ = text.size();
  StoreText(text);
}

void RichEdit::SetPromptText(const std::wstring& text) {
  prompt_text_ = text;
  Invalidate();
}

void RichEdit::StoreText(std::wstring text) {
  if (text == text_) return;
  text_ = std::move(text);
  caret_ = std::min(caret_, text_.size());
  anchor_ = std::min(anchor_, text_.size());
  if (IsAutoSized()) Arrange();
  Invalidate();
  SendEvent(kEventTextChange);
}

void RichEdit::SetSel(size_t anchor, size_t caret) {
  anchor_ = std::min(anchor, text_.size());
  caret_ = std::min(caret, text_.size());
  Invalidate();
}

void RichEdit::SelectAll() { SetSel(0, text_.size()); }

std::wstring RichEdit::GetSelectedText() const {
  return text_.substr(GetSelStart(), GetSelEnd() - GetSelStart());
}

std::wstring RichEdit::FilterInput(const std::wstring& text) const {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (!multi_line_ && (c == L'\r' || c == L'\n')) continue;
    if (number_only_ && (c < L'0' || c > L'9')) continue;
    out += c;
  }
  return out;
}

bool RichEdit::InsertText(const std::wstring& text) {
  if (read_only_ || !IsEnabled()) return false;
  std::wstring insert = FilterInput(text);
  size_t start = GetSelStart();
  size_t end = GetSelEnd();
  if (max_char_ > 0) {
    size_t kept = text_.size() - (end - start);
    size_t room = static_cast<size_t>(max_char_) > kept ? max_char_ - kept : 0;
    if (insert.size() > room) insert.resize(room);
  }
  if (insert.empty() && start == end) return false;
  std::wstring next = text_.substr(0, start) + insert + text_.substr(end);
  caret_ = anchor_ = start + insert.size();
  StoreText(std::move(next));
  return true;
}

bool RichEdit::DeleteBackward() {
  if (read_only_ || !IsEnabled()) return false;
  if (GetSelStart() == GetSelEnd()) {
    if (caret_ == 0) return false;
    anchor_ = caret_ - 1;
  }
  return InsertText(std::wstring());
}

bool RichEdit::DeleteForward() {
  if (read_only_ || !IsEnabled()) return false;
  if (GetSelStart() == GetSelEnd()) {
    if (caret_ >= text_.size()) return false;
    anchor_ = caret_ + 1;
  }
  return InsertText(std::wstring());
}

void RichEdit::MoveCaret(size_t position, bool extend) {
  caret_ = std::min(position, text_.size());
  if (!extend) anchor_ = caret_;
  Invalidate();
}

unsigned RichEdit::TextStyle() const {
  unsigned style = align_style_ | kTextNoClip;
  style |= multi_line_ ? kTextWordBreak : kTextSingleLine;
  return style;
}

UiRect RichEdit::TextRect() const {
  UiRect r = GetPos();
  r.Deflate(GetLayout()->GetPadding());
  return r;
}

std::wstring RichEdit::DisplayText() const {
  std::wstring text = GetText();
  return password_ ? std::wstring(text.size(), kPasswordChar) : text;
}

size_t RichEdit::HitTestCaret(UiPoint point) const {
  std::wstring shown = DisplayText();
  UiRect r = TextRect();
  const unsigned style = TextStyle() & ~static_cast<unsigned>(kTextWordBreak);
  int x = point.x - r.left;
  int previous = 0;
  for (size_t i = 1; i <= shown.size(); ++i) {
    int width = MeasureText(shown.substr(0, i), font_id_, style | kTextSingleLine, 0).cx;
    if (x < (previous + width) / 2) return i - 1;
    previous = width;
  }
  return shown.size();
}

UiSize RichEdit::EstimateText(UiSize available) {
  const UiRect& p = GetLayout()->GetPadding();
  std::wstring text = DisplayText();
  if (text.empty()) text = prompt_text_.empty() ? L" " : prompt_text_;
  UiSize s = MeasureText(text, font_id_, TextStyle(), available.cx - p.left - p.right);
  return {s.cx + p.left + p.right, s.cy + p.top + p.bottom};
}

void RichEdit::HandleEventInternal(const EventArgs& args) {
  switch (args.type) {
    case kEventChar: {
      wchar_t c = args.key_code ? args.key_code : static_cast<wchar_t>(args.w_param);
      if (c == L'\t' ? want_tab_ : (c >= 32 && c != 127)) InsertText(std::wstring(1, c));
      return;
    }
    case kEventKeyDown:
      switch (args.key_code) {
        case kKeyBack: DeleteBackward(); return;
        case kKeyDelete: DeleteForward(); return;
        case kKeyLeft: MoveCaret(caret_ > 0 ? caret_ - 1 : 0, false); return;
        case kKeyRight: MoveCaret(caret_ + 1, false); return;
        case kKeyHome: MoveCaret(0, false); return;
        case kKeyEnd: MoveCaret(text_.size(), false); return;
        case kKeyEnter:
          if (want_return_msg_) SendEvent(kEventReturn);
          else if (multi_line_) InsertText(L"\n");
          return;
        default: break;
      }
      break;
    case kEventMouseButtonDown:
      if (IsEnabled() && IsMouseEnabled()) {
        SetFocus();
        MoveCaret(HitTestCaret(args.mouse_point), false);
      }
      break;
    case kEventSetCursor:
      if (window_) window_->SetCursor(CursorType::kIBeam);
      return;
    default: break;
  }
  ScrollableBox::HandleEventInternal(args);
}

void RichEdit::PaintText(RenderContext& context) {
  UiRect r = TextRect();
  std::wstring shown = DisplayText();
  const unsigned style = TextStyle();
  if (shown.empty()) {
    std::wstring prompt = prompt_text_.empty() ? GlobalManager::GetText(prompt_text_id_) : prompt_text_;
    if (!prompt.empty()) {
      std::wstring color = prompt_color_.empty() ? DefaultColors::Get().disabled_font_color : prompt_color_;
      context.DrawText(prompt, r, font_id_, ResolveColor(color), style);
    }
  } else {
    const bool disabled = GetState() == ControlState::kDisabled;
    std::wstring color = disabled ? text_colors_[3] : text_colors_[0];
    if (color.empty()) {
      color = disabled ? DefaultColors::Get().disabled_font_color : DefaultColors::Get().default_font_color;
    }
    context.DrawText(shown, r, font_id_, ResolveColor(color), style);
  }
  if (IsFocused() && !read_only_) {
    int x = r.left + MeasureText(shown.substr(0, caret_), font_id_, style | kTextSingleLine, 0).cx;
    int h = MeasureText(L" ", font_id_, kTextSingleLine, 0).cy;
    int top = (style & kTextVCenter) ? r.top + (r.Height() - h) / 2 : r.top;
    uint32_t color = caret_color_.empty() ? kDefaultCaretColor : ResolveColor(caret_color_);
    context.DrawLine({x, top}, {x, top + h}, 1, color);
  }
}

void RichEdit::PaintChildren(RenderContext& context, const UiRect& dirty) {
  if (IsFocused()) DrawImage(context, focused_image_);
  ScrollableBox::PaintChildren(context, dirty);
}

}  // namespace ui
