#include "ui/controls/rich_edit.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/controls/default_colors.h"
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
      {L"font", [](RichEdit& c, const std::wstring& v) { c.font_id_ = v; c.caret_map_width_ = -1; c.Arrange(); }},
      {L"text", [](RichEdit& c, const std::wstring& v) { c.SetText(v); }},
      {L"textid", [](RichEdit& c, const std::wstring& v) { c.SetTextId(v); }},
      {L"wanttab", [](RichEdit& c, const std::wstring& v) { c.want_tab_ = ParseBool(v); }},
      {L"wantreturnmsg", [](RichEdit& c, const std::wstring& v) { c.want_return_msg_ = ParseBool(v); }},
      {L"returnmsgwantctrl", [](RichEdit& c, const std::wstring& v) { c.return_msg_want_ctrl_ = ParseBool(v); }},
      {L"maxchar", [](RichEdit& c, const std::wstring& v) { c.max_char_ = std::max(0, ParseInt(v)); }},
  };
  if (table.Apply(*this, name, value)) return true;
  // Plain text only: asking for rich text is reported like an unknown attribute.
  if (name == L"rich") return !ParseBool(value);
  return ScrollableBox::SetAttribute(name, value);
}

std::wstring RichEdit::GetText() const {
  return buffer_.text().empty() ? GlobalManager::GetText(text_id_) : buffer_.text();
}

void RichEdit::SetText(const std::wstring& text) {
  if (buffer_.SetText(text)) AfterTextChange();
}

void RichEdit::SetPromptText(const std::wstring& text) {
  prompt_text_ = text;
  Invalidate();
}

void RichEdit::SetSel(size_t anchor, size_t caret) {
  buffer_.Select(anchor, caret);
  RestartBlink();
  Invalidate();
}

void RichEdit::AfterTextChange() {
  if (IsAutoSized()) Arrange();
  Invalidate();
  SendEvent(kEventTextChange);
}

bool RichEdit::CanEdit() const { return !read_only_ && IsEnabled(); }

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

bool RichEdit::Edit(size_t from, size_t to, const std::wstring& text, EditKind kind) {
  if (!CanEdit()) return false;
  std::wstring insert = FilterInput(text);
  if (max_char_ > 0) {
    const size_t replaced = std::max(from, to) - std::min(from, to);
    const size_t kept = buffer_.text().size() - std::min(replaced, buffer_.text().size());
    const size_t room = static_cast<size_t>(max_char_) > kept ? max_char_ - kept : 0;
    if (insert.size() > room) insert.resize(room);
  }
  RestartBlink();
  if (!buffer_.Replace(from, to, insert, kind)) return false;
  AfterTextChange();
  return true;
}

bool RichEdit::InsertText(const std::wstring& text) {
  return Edit(GetSelStart(), GetSelEnd(), text, EditKind::kOther);
}

void RichEdit::MoveCaretTo(size_t position, bool extend) {
  buffer_.MoveCaret(position, extend);
  RestartBlink();
  Invalidate();
}

void RichEdit::Copy() {
  if (!buffer_.has_selection() || password_ || !window_ || !window_->GetHost()) return;
  window_->GetHost()->SetClipboardText(buffer_.selected_text());
}

void RichEdit::Paste() {
  if (!CanEdit() || !window_ || !window_->GetHost()) return;
  window_->GetHost()->RequestClipboardText(
      ToWeakCallback([this](std::optional<std::wstring> text) {
        if (text) InsertText(*text);
      }));
}

void RichEdit::RestartBlink() {
  caret_shown_ = true;
  if (!IsFocused() || !window_ || !window_->GetHost()) return;
  window_->GetHost()->StartTimer(blink_flag_, [this] {
    caret_shown_ = !caret_shown_;
    Invalidate();
  }, kCaretBlinkMs);
}

void RichEdit::OnFocusChanged(bool focused) {
  selecting_ = false;
  if (focused) {
    RestartBlink();
  } else {
    blink_flag_.Cancel();
    composition_ = {};  // an unfinished composition stays with the input method
  }
  Invalidate();
}

bool RichEdit::HandleKeyDown(const EventArgs& args) {
  const bool ctrl = args.modifiers & kModifierControl;
  const bool shift = args.modifiers & kModifierShift;
  const size_t caret = buffer_.caret();
  const size_t size = buffer_.text().size();
  switch (args.key_code) {
    case kKeyLeft:
    case kKeyRight: {
      const bool left = args.key_code == kKeyLeft;
      size_t to;
      if (buffer_.has_selection() && !shift && !ctrl) {
        to = left ? GetSelStart() : GetSelEnd();  // the selection collapses
      } else if (ctrl) {
        to = left ? buffer_.PreviousWordStart(caret) : buffer_.NextWordStart(caret);
      } else {
        to = left ? (caret > 0 ? caret - 1 : 0) : std::min(caret + 1, size);
      }
      MoveCaretTo(to, shift);
      return true;
    }
    case kKeyHome: MoveCaretTo(0, shift); return true;
    case kKeyEnd: MoveCaretTo(size, shift); return true;
    case kKeyBack:
      if (buffer_.has_selection()) Edit(GetSelStart(), GetSelEnd(), {}, EditKind::kDeletion);
      else if (caret > 0)
        Edit(ctrl ? buffer_.PreviousWordStart(caret) : caret - 1, caret, {}, EditKind::kDeletion);
      return true;
    case kKeyDelete:
      if (shift && !ctrl) {
        Copy();
        Edit(GetSelStart(), GetSelEnd(), {}, EditKind::kOther);
      } else if (buffer_.has_selection()) {
        Edit(GetSelStart(), GetSelEnd(), {}, EditKind::kDeletion);
      } else if (caret < size) {
        Edit(caret, ctrl ? buffer_.NextWordStart(caret) : caret + 1, {}, EditKind::kDeletion);
      }
      return true;
    case kKeyInsert:
      if (shift) Paste();
      else if (ctrl) Copy();
      return true;
    case kKeyEnter:
      if (want_return_msg_ && (ctrl || !return_msg_want_ctrl_)) SendEvent(kEventReturn);
      else if (multi_line_) Edit(GetSelStart(), GetSelEnd(), L"\n", EditKind::kTyping);
      return true;  // a single-value input swallows it
    default: break;
  }
  if (!ctrl) return false;
  switch (args.key_code) {
    case L'A': SelectAll(); return true;
    case L'C': Copy(); return true;
    case L'X':
      Copy();
      if (!password_) Edit(GetSelStart(), GetSelEnd(), {}, EditKind::kOther);
      return true;
    case L'V': Paste(); return true;
    case L'Z':
    case L'Y': {
      if (!CanEdit()) return true;
      const bool redo = args.key_code == L'Y' || shift;
      RestartBlink();
      if (redo ? buffer_.Redo() : buffer_.Undo()) AfterTextChange();
      return true;
    }
    default: return false;
  }
}

void RichEdit::HandleMouse(const EventArgs& args) {
  if (!IsEnabled() || !IsMouseEnabled()) return;
  switch (args.type) {
    case kEventMouseButtonDown:
      SetFocus();
      MoveCaretTo(PositionAt(args.mouse_point), args.modifiers & kModifierShift);
      selecting_ = true;
      break;
    case kEventInternalDoubleClick: {
      const auto [start, end] = buffer_.WordAt(PositionAt(args.mouse_point));
      SetSel(start, end);
      break;
    }
    case kEventMouseMove:
      if (selecting_) MoveCaretTo(PositionAt(args.mouse_point), true);
      break;
    case kEventMouseButtonUp: selecting_ = false; break;
    default: break;
  }
}

void RichEdit::HandleEventInternal(const EventArgs& args) {
  switch (args.type) {
    case kEventChar: {
      const wchar_t c = args.key_code;
      if (args.modifiers & (kModifierControl | kModifierAlt)) return;
      if (c == L'\t' ? want_tab_ : (c >= 32 && c != 127)) {
        Edit(GetSelStart(), GetSelEnd(), std::wstring(1, c), EditKind::kTyping);
      }
      return;
    }
    case kEventKeyDown:
      if (HandleKeyDown(args)) return;
      break;
    case kEventImeStartComposition:
    case kEventImeComposition:
    case kEventImeEndComposition:
      composition_ = (args.type == kEventImeEndComposition || !window_)
                         ? Window::ImeComposition{}
                         : window_->GetImeComposition();
      RestartBlink();
      Invalidate();
      return;
    case kEventInternalSetFocus:
    case kEventInternalKillFocus:
      OnFocusChanged(args.type == kEventInternalSetFocus);
      break;
    case kEventMouseButtonDown:
    case kEventMouseButtonUp:
    case kEventMouseMove:
    case kEventInternalDoubleClick:
      HandleMouse(args);
      break;
    case kEventSetCursor:
      if (window_) window_->SetCursor(CursorType::kIBeam);
      return;
    default: break;
  }
  ScrollableBox::HandleEventInternal(args);
}

// --- Layout and painting -------------------------------------------------------

UiRect RichEdit::TextRect() const {
  UiRect r = GetPos();
  r.Deflate(GetLayout()->GetPadding());
  return r;
}

unsigned RichEdit::LayoutStyle() const {
  return multi_line_ ? kTextWordBreak : kTextSingleLine;
}

int RichEdit::WrapWidth() const {
  // Lines wrap unless the view may scroll sideways.
  return multi_line_ && !auto_hscroll_ ? TextRect().Width() : 0;
}

std::wstring RichEdit::ShownPrompt() const {
  if (!prompt_mode_) return {};
  return prompt_text_.empty() ? GlobalManager::GetText(prompt_text_id_) : prompt_text_;
}

namespace {

// The scroll offset after moving as little as possible so that [from, to)
// lies inside a view of `extent`, clamped to a content of `content`.
int ScrollToShow(int scroll, int from, int to, int extent, int content) {
  if (to - scroll > extent) scroll = to - extent;
  if (from < scroll) scroll = from;
  return std::clamp(scroll, 0, std::max(0, content - extent));
}

}  // namespace

RichEdit::TextView RichEdit::LayOut() {
  TextView view;
  view.shown = password_ ? std::wstring(buffer_.text().size(), kPasswordChar) : GetText();
  view.caret = std::min(buffer_.caret(), view.shown.size());
  if (!composition_.text.empty()) {
    const size_t at = std::min(GetSelStart(), view.shown.size());
    view.shown.replace(at, std::min(GetSelEnd(), view.shown.size()) - at, composition_.text);
    view.composition_start = at;
    view.composition_end = at + composition_.text.size();
    view.caret = at + std::min(composition_.caret, composition_.text.size());
  }
  const UiRect r = TextRect();
  if (view.shown != caret_map_text_ || r.Width() != caret_map_width_) {
    caret_map_ = TextCaretMap(view.shown, font_id_, LayoutStyle(), WrapWidth());
    caret_map_text_ = view.shown;
    caret_map_width_ = r.Width();
  }
  const UiSize size = caret_map_.GetSize();
  // The view follows the caret where the markup lets it scroll, and shows
  // no empty space after the text.
  const UiRect caret = caret_map_.CaretRect(view.caret);
  scroll_x_ = auto_hscroll_ ? ScrollToShow(scroll_x_, caret.left, caret.left + 1, r.Width(), size.cx + 1)
                            : 0;
  scroll_y_ = multi_line_ && auto_vscroll_
                  ? ScrollToShow(scroll_y_, caret.top, caret.bottom, r.Height(), size.cy)
                  : 0;

  view.origin = {r.left - scroll_x_, r.top - scroll_y_};
  if (size.cx < r.Width() && !multi_line_) {
    if (align_style_ & kTextCenter) view.origin.x = r.left + (r.Width() - size.cx) / 2;
    else if (align_style_ & kTextRight) view.origin.x = r.right - size.cx - 1;
  }
  if (!(multi_line_ && auto_vscroll_ && size.cy > r.Height())) {
    if (align_style_ & kTextVCenter) view.origin.y = r.top + (r.Height() - size.cy) / 2;
    else if (align_style_ & kTextBottom) view.origin.y = r.bottom - size.cy;
  }
  return view;
}

size_t RichEdit::PositionAt(UiPoint point) {
  const TextView view = LayOut();
  size_t position = caret_map_.PositionAt({point.x - view.origin.x, point.y - view.origin.y});
  // Inside a composition the caret stays where the composition began.
  if (position > view.composition_start && !composition_.text.empty()) {
    position = position >= view.composition_end ? position - composition_.text.size()
                                                : view.composition_start;
  }
  return std::min(position, buffer_.text().size());
}

UiSize RichEdit::EstimateText(UiSize available) {
  const UiRect& p = GetLayout()->GetPadding();
  std::wstring text = password_ ? std::wstring(buffer_.text().size(), kPasswordChar) : GetText();
  if (text.empty()) text = ShownPrompt().empty() ? L" " : ShownPrompt();
  UiSize s = MeasureText(text, font_id_, LayoutStyle(), available.cx - p.left - p.right);
  return {s.cx + p.left + p.right, s.cy + p.top + p.bottom};
}

void RichEdit::PaintStateImages(RenderContext& context) {
  // The focus frame stands in for the state image, under the text.
  if (IsFocused() && !focused_image_.IsEmpty() && DrawImage(context, focused_image_)) return;
  ScrollableBox::PaintStateImages(context);
}

void RichEdit::PaintText(RenderContext& context) {
  const UiRect r = TextRect();
  if (r.IsEmpty()) return;
  const TextView view = LayOut();
  const bool focused = IsFocused();
  context.PushClip(r);
  if (view.shown.empty()) {
    const std::wstring prompt = ShownPrompt();
    if (!prompt.empty()) {
      const std::wstring& color =
          prompt_color_.empty() ? DefaultColors::Get().disabled_font_color : prompt_color_;
      context.DrawText(prompt, r, font_id_, ResolveColor(color),
                       align_style_ | kTextNoClip | LayoutStyle());
    }
  } else {
    if (focused && buffer_.has_selection() && composition_.text.empty()) {
      for (UiRect box : caret_map_.RangeRects(GetSelStart(), GetSelEnd())) {
        box.Offset(view.origin.x, view.origin.y);
        context.FillRect(box, kSelectionColor);
      }
    }
    const bool disabled = GetState() == ControlState::kDisabled;
    std::wstring color = disabled ? text_colors_[3] : text_colors_[0];
    if (color.empty()) {
      color = disabled ? DefaultColors::Get().disabled_font_color
                       : DefaultColors::Get().default_font_color;
    }
    const uint32_t argb = ResolveColor(color);
    const UiSize size = caret_map_.GetSize();
    const UiRect layout{view.origin.x, view.origin.y, view.origin.x + std::max(size.cx + 1, r.Width()),
                        view.origin.y + size.cy};
    context.DrawText(view.shown, layout, font_id_, argb, LayoutStyle() | kTextNoClip);
    for (UiRect line : caret_map_.RangeRects(view.composition_start, view.composition_end)) {
      line.Offset(view.origin.x, view.origin.y);
      context.FillRect({line.left, line.bottom - 1, line.right, line.bottom}, argb);
    }
  }
  if (focused && !read_only_ && caret_shown_) {
    UiRect caret = caret_map_.CaretRect(view.caret);
    caret.Offset(view.origin.x, view.origin.y);
    context.FillRect(caret, caret_color_.empty() ? kDefaultCaretColor : ResolveColor(caret_color_));
  }
  context.PopClip();
}

}  // namespace ui
