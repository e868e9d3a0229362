#include "ui/controls/text_edit_buffer.h"

#include <algorithm>
#include <cwctype>

namespace ui {

namespace {
// Enough for any setting; the oldest steps go first.
constexpr size_t kMaxUndoSteps = 100;
}  // namespace

std::wstring TextEditBuffer::selected_text() const {
  return text_.substr(selection_start(), selection_end() - selection_start());
}

bool TextEditBuffer::SetText(std::wstring text) {
  if (text == text_) return false;
  text_ = std::move(text);
  caret_ = anchor_ = text_.size();
  undo_.clear();
  redo_.clear();
  last_kind_ = EditKind::kOther;
  return true;
}

void TextEditBuffer::Select(size_t anchor, size_t caret) {
  anchor_ = std::min(anchor, text_.size());
  caret_ = std::min(caret, text_.size());
  last_kind_ = EditKind::kOther;  // the next edit starts a new step
}

bool TextEditBuffer::Replace(size_t from, size_t to, const std::wstring& insert, EditKind kind) {
  const size_t start = std::min({from, to, text_.size()});
  const size_t end = std::min(std::max(from, to), text_.size());
  if (insert.empty() && start == end) return false;
  const bool merges = kind != EditKind::kOther && kind == last_kind_ && !has_selection() &&
                      caret_ == last_caret_ && !undo_.empty();
  if (!merges) {
    undo_.push_back({text_, anchor_, caret_});
    if (undo_.size() > kMaxUndoSteps) undo_.erase(undo_.begin());
  }
  redo_.clear();
  text_.replace(start, end - start, insert);
  caret_ = anchor_ = start + insert.size();
  last_kind_ = kind;
  last_caret_ = caret_;
  return true;
}

bool TextEditBuffer::Undo() { return Step(undo_, redo_); }

bool TextEditBuffer::Redo() { return Step(redo_, undo_); }

bool TextEditBuffer::Step(std::vector<Snapshot>& from, std::vector<Snapshot>& to) {
  if (from.empty()) return false;
  to.push_back({text_, anchor_, caret_});
  Snapshot s = std::move(from.back());
  from.pop_back();
  text_ = std::move(s.text);
  anchor_ = s.anchor;
  caret_ = s.caret;
  last_kind_ = EditKind::kOther;
  return true;
}

int TextEditBuffer::CharClass(wchar_t c) {
  if (std::iswspace(static_cast<wint_t>(c))) return 0;
  if (std::iswalnum(static_cast<wint_t>(c)) || c == L'_' || c >= 0x2E80) return 1;
  return 2;
}

size_t TextEditBuffer::PreviousWordStart(size_t position) const {
  size_t i = std::min(position, text_.size());
  while (i > 0 && CharClass(text_[i - 1]) == 0) --i;
  if (i == 0) return 0;
  const int cls = CharClass(text_[i - 1]);
  while (i > 0 && CharClass(text_[i - 1]) == cls) --i;
  return i;
}

size_t TextEditBuffer::NextWordStart(size_t position) const {
  size_t i = std::min(position, text_.size());
  if (i < text_.size()) {
    const int cls = CharClass(text_[i]);
    while (i < text_.size() && CharClass(text_[i]) == cls) ++i;
  }
  while (i < text_.size() && CharClass(text_[i]) == 0) ++i;
  return i;
}

std::pair<size_t, size_t> TextEditBuffer::WordAt(size_t position) const {
  if (text_.empty()) return {0, 0};
  size_t at = std::min(position, text_.size() - 1);
  const int cls = CharClass(text_[at]);
  size_t start = at, end = at;
  while (start > 0 && CharClass(text_[start - 1]) == cls) --start;
  while (end < text_.size() && CharClass(text_[end]) == cls) ++end;
  return {start, end};
}

}  // namespace ui
