// ui::RichEdit: a windowless text input. This is the headless model: the
// text, caret and selection, prompt text and the flags of the markup. Every
// change of the text raises the text-change event (46); setting the text it
// already holds raises nothing.
//
// Editing entry points for the window host (keyboard, IME, clipboard):
// InsertText, DeleteBackward, DeleteForward, MoveCaret, SelectAll,
// GetSelectedText, and HitTestCaret for clicks. Edits that come from the user
// are refused while the input is read-only; SetText from code always works.
// The built-in handling already maps "char" and the editing keys of
// "keydown" (Backspace, Delete, arrows, Home, End, Return) onto them.
// UI thread only.
#pragma once

#include <string>

#include "ui/controls/scrollable_box.h"

namespace ui {

// Key codes of "keydown" the input understands (Windows virtual keys).
enum EditKey : wchar_t {
  kKeyBack = 8,
  kKeyTab = 9,
  kKeyEnter = 13,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyDelete = 46,
};

class RichEdit : public ScrollableBox {
 public:
  RichEdit();
  ~RichEdit() override { BeginDestroy(); }
  std::wstring GetType() const override { return L"RichEdit"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;

  // The literal text, or the language string of the text id while empty.
  std::wstring GetText() const;
  // Replaces the whole content (caret at the end); raises text change once
  // when the text differs.
  void SetText(const std::wstring& text);
  void SetTextId(const std::wstring& id) { text_id_ = id; }

  const std::wstring& GetPromptText() const { return prompt_text_; }
  void SetPromptText(const std::wstring& text);
  bool IsReadOnly() const { return read_only_; }
  void SetReadOnly(bool on) { read_only_ = on; }
  bool IsMultiLine() const { return multi_line_; }
  void SetMultiLine(bool on) { multi_line_ = on; }
  bool IsPassword() const { return password_; }
  bool IsNumberOnly() const { return number_only_; }
  int GetMaxChar() const { return max_char_; }
  bool WantsTab() const { return want_tab_; }
  bool WantsReturnMsg() const { return want_return_msg_; }

  // --- Editing (user input) -------------------------------------------------
  size_t GetCaret() const { return caret_; }
  // Selection as [start, end); empty when start == end.
  size_t GetSelStart() const { return std::min(anchor_, caret_); }
  size_t GetSelEnd() const { return std::max(anchor_, caret_); }
  void SetSel(size_t anchor, size_t caret);
  void SelectAll();
  std::wstring GetSelectedText() const;
  // Replaces the selection by `text` at the caret. Line breaks are dropped
  // from single-line inputs, non-digits from number inputs, and the result is
  // cut at maxchar. False when read-only or nothing changed.
  bool InsertText(const std::wstring& text);
  bool DeleteBackward();
  bool DeleteForward();
  // Moves the caret to `position` (clamped); `extend` keeps the anchor.
  void MoveCaret(size_t position, bool extend);
  // The caret position nearest to a point in window coordinates.
  size_t HitTestCaret(UiPoint point) const;

  UiSize EstimateText(UiSize available) override;

 protected:
  void HandleEventInternal(const EventArgs& args) override;
  void PaintText(RenderContext& context) override;
  void PaintChildren(RenderContext& context, const UiRect& dirty) override;

 private:
  // Stores a new text and raises text change when it differs.
  void StoreText(std::wstring text);
  std::wstring DisplayText() const;
  UiRect TextRect() const;
  unsigned TextStyle() const;
  std::wstring FilterInput(const std::wstring& text) const;

  std::wstring text_;
  std::wstring text_id_;
  std::wstring prompt_text_;
  std::wstring prompt_text_id_;
  std::wstring prompt_color_;
  std::wstring font_id_;
  std::wstring text_colors_[4];
  std::wstring caret_color_;
  Image focused_image_;
  unsigned align_style_ = 0;
  size_t caret_ = 0;
  size_t anchor_ = 0;
  int max_char_ = 0;
  bool read_only_ = false;
  bool multi_line_ = false;
  bool password_ = false;
  bool number_only_ = false;
  bool want_tab_ = false;
  bool want_return_msg_ = false;
  bool return_msg_want_ctrl_ = false;
  bool rich_ = true;
  bool auto_hscroll_ = false;
  bool auto_vscroll_ = false;
  bool prompt_mode_ = false;
};

}  // namespace ui
