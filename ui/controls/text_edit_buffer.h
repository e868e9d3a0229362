// The text of an input with its caret, selection and undo history: what
// editing does to a string, with no drawing and no events.
//
// Positions index the wide string (0..size()). The selection runs between
// the anchor and the caret; it is empty when they meet. Replace() puts text
// in place of the selection and leaves the caret after it; every change a
// user makes can be undone and redone. A run of typing (or of deletions)
// at one place is one undo step; moving the caret starts a new step.
// Setting the whole text from code clears the history.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class TextEditBuffer {
 public:
  // What kind of edit Replace records; runs of the same kind merge.
  enum class EditKind { kTyping, kDeletion, kOther };

  const std::wstring& text() const { return text_; }
  size_t caret() const { return caret_; }
  size_t anchor() const { return anchor_; }
  size_t selection_start() const { return std::min(anchor_, caret_); }
  size_t selection_end() const { return std::max(anchor_, caret_); }
  bool has_selection() const { return anchor_ != caret_; }
  std::wstring selected_text() const;

  // Replaces everything and forgets the history; the caret goes to the end.
  // False (and nothing moves) when the text is the same.
  bool SetText(std::wstring text);

  // Both clamped to the text.
  void Select(size_t anchor, size_t caret);
  // `extend` keeps the anchor (Shift held).
  void MoveCaret(size_t position, bool extend) { Select(extend ? anchor_ : position, position); }

  // Replaces [from, to) (clamped) with `insert` and leaves the caret after
  // it, the selection empty; false when that changes nothing.
  bool Replace(size_t from, size_t to, const std::wstring& insert,
               EditKind kind = EditKind::kOther);
  bool ReplaceSelection(const std::wstring& insert, EditKind kind = EditKind::kOther) {
    return Replace(selection_start(), selection_end(), insert, kind);
  }

  bool Undo();
  bool Redo();

  // Word boundaries for Ctrl+Left/Right, Ctrl+Backspace/Delete and double
  // clicks. A word is a run of letters and digits (any script), or a run of
  // other non-blank characters; blanks separate.
  size_t PreviousWordStart(size_t position) const;
  size_t NextWordStart(size_t position) const;
  // [start, end) of the word (or blank run) at `position`.
  std::pair<size_t, size_t> WordAt(size_t position) const;

 private:
  struct Snapshot {
    std::wstring text;
    size_t anchor;
    size_t caret;
  };

  // Restores the last snapshot of `from`, keeping the present one in `to`.
  bool Step(std::vector<Snapshot>& from, std::vector<Snapshot>& to);
  // Which class of characters `c` belongs to (blank, word, other).
  static int CharClass(wchar_t c);

  std::wstring text_;
  size_t caret_ = 0;
  size_t anchor_ = 0;
  std::vector<Snapshot> undo_;
  std::vector<Snapshot> redo_;
  EditKind last_kind_ = EditKind::kOther;
  size_t last_caret_ = 0;  // where the last mergeable edit left the caret
};

}  // namespace ui
