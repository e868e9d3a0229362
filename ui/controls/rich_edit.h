// ui::RichEdit: a windowless text input, the one place where text is edited.
//
// It shows its text inside its padding, a blinking caret and the selection
// while it has the focus, the prompt text while empty (in "promptmode"), and
// an input method's composition in progress at the caret, underlined. The
// view follows the caret sideways with "autohscroll" (multi-line inputs
// without it wrap their lines at the width) and down with "autovscroll";
// otherwise it stays at the start of the text. The text is plain: "rich"
// "true" is refused like an unknown attribute.
//
// Input arrives as framework events from the window's router:
// - "char" (key_code: the character) inserts at the caret, replacing the
//   selection; control characters are ignored (Tab only with wanttab).
// - "keydown" (key_code: ui/core/key_codes.h, modifiers: KeyModifier):
//   Left/Right/Home/End (Ctrl: by word; Shift: selecting), Backspace/Delete
//   (Ctrl: by word), Ctrl+A selects all, Ctrl+Z undoes, Ctrl+Y and
//   Ctrl+Shift+Z redo, Ctrl+C/X/V and Ctrl+Insert, Shift+Delete,
//   Shift+Insert use the clipboard (through the WindowHost), Return raises
//   "return" with wantreturnmsg (only with Ctrl held when
//   returnmsgwantctrl), else inserts a line break when multi-line and is
//   swallowed otherwise.
// - The mouse: a press places the caret (Shift+press extends the
//   selection), dragging selects, a double click selects a word.
// - Composition events (50, 49, 51) show the window's ImeComposition; the
//   committed text arrives as "char" events.
// Every change of the text raises the text-change event (46) once; setting
// the text it already holds changes nothing (not even the caret). User
// edits are refused while read-only or disabled; SetText from code always
// works. Single-line inputs drop line breaks from typed and pasted text.
// UI thread only.
#pragma once

#include <string>

#include "base/weak_callback.h"
#include "ui/controls/scrollable_box.h"
#include "ui/controls/text_edit_buffer.h"
#include "ui/core/key_codes.h"
#include "ui/controls/window.h"
#include "ui/render/text_caret_map.h"

namespace ui {

class RichEdit : public ScrollableBox {
 public:
  // Half a blink period: the caret shows as long as it hides.
  static constexpr int kCaretBlinkMs = 530;
  // Behind selected text (dark text stays dark on it).
  static constexpr uint32_t kSelectionColor = 0xFF99C9EF;

  RichEdit();
  ~RichEdit() override { BeginDestroy(); }
  std::wstring GetType() const override { return L"RichEdit"; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;

  // The literal text, or the language string of the text id while empty.
  std::wstring GetText() const;
  // Replaces the whole content (caret at the end, history cleared); raises
  // text change once when the text differs, and does nothing otherwise.
  void SetText(const std::wstring& text);
  void SetTextId(const std::wstring& id) { text_id_ = id; }

  const std::wstring& GetPromptText() const { return prompt_text_; }
  void SetPromptText(const std::wstring& text);
  bool IsReadOnly() const { return read_only_; }
  void SetReadOnly(bool on) { read_only_ = on; }
  bool IsMultiLine() const { return multi_line_; }
  bool IsPassword() const { return password_; }
  int GetMaxChar() const { return max_char_; }
  bool WantsTab() const { return want_tab_; }

  // --- Caret and selection ----------------------------------------------------
  size_t GetCaret() const { return buffer_.caret(); }
  size_t GetSelStart() const { return buffer_.selection_start(); }
  size_t GetSelEnd() const { return buffer_.selection_end(); }
  void SetSel(size_t anchor, size_t caret);
  void SelectAll() { SetSel(0, buffer_.text().size()); }
  std::wstring GetSelectedText() const { return buffer_.selected_text(); }

  // Puts text in place of the selection as typing or pasting would (filtered
  // for single-line, number and maxchar inputs); false when read-only or
  // nothing changed.
  bool InsertText(const std::wstring& text);

  UiSize EstimateText(UiSize available) override;

 protected:
  void HandleEventInternal(const EventArgs& args) override;
  void PaintStateImages(RenderContext& context) override;
  void PaintText(RenderContext& context) override;

 private:
  using EditKind = TextEditBuffer::EditKind;

  bool HandleKeyDown(const EventArgs& args);
  void HandleMouse(const EventArgs& args);
  void OnFocusChanged(bool focused);
  bool CanEdit() const;
  // Replaces [from, to) as the user did; raises text change.
  bool Edit(size_t from, size_t to, const std::wstring& text, EditKind kind);
  void MoveCaretTo(size_t position, bool extend);
  void Copy();
  void Paste();
  void AfterTextChange();
  // The caret shows again and the blink starts over (after every action).
  void RestartBlink();
  std::wstring FilterInput(const std::wstring& text) const;

  // --- Layout of the shown text ---------------------------------------------
  struct TextView {
    std::wstring shown;   // the (masked) text with any composition spliced in
    size_t caret = 0;     // caret position in `shown`
    size_t composition_start = 0;
    size_t composition_end = 0;
    UiPoint origin;       // where the layout's top-left corner is drawn
  };
  UiRect TextRect() const;
  unsigned LayoutStyle() const;
  // The width at which lines wrap; 0 for none.
  int WrapWidth() const;
  // The prompt text shown while empty (only in prompt mode).
  std::wstring ShownPrompt() const;
  // Lays the shown text out (cached while the text and width stay) and
  // scrolls so that the caret is inside the text rectangle.
  TextView LayOut();
  size_t PositionAt(UiPoint point);

  TextEditBuffer buffer_;
  std::wstring text_id_;
  std::wstring prompt_text_;
  std::wstring prompt_text_id_;
  std::wstring prompt_color_;
  std::wstring font_id_;
  std::wstring text_colors_[4];
  std::wstring caret_color_;
  Image focused_image_;
  unsigned align_style_ = 0;
  int max_char_ = 0;
  bool read_only_ = false;
  bool multi_line_ = false;
  bool password_ = false;
  bool number_only_ = false;
  bool want_tab_ = false;
  bool want_return_msg_ = false;
  bool return_msg_want_ctrl_ = false;
  bool auto_hscroll_ = false;
  bool auto_vscroll_ = false;
  bool prompt_mode_ = false;

  TextCaretMap caret_map_;
  std::wstring caret_map_text_;
  int caret_map_width_ = -1;
  int scroll_x_ = 0;
  int scroll_y_ = 0;
  bool caret_shown_ = true;
  bool selecting_ = false;  // the left button is held after a press here
  Window::ImeComposition composition_;
  vbase::WeakCallbackFlag blink_flag_;
};

}  // namespace ui
