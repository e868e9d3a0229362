// Where the caret goes in a laid-out text: the caret rectangle of every
// position and the position nearest to a point, from the same Pango layout
// the painter draws (so caret, selection and glyphs agree).
//
// Positions are indices into the wide string (0..size()); coordinates are
// relative to the layout's top-left corner, where DrawText with the same
// font and style bits places it when the rectangle starts there (left and top
// aligned). Single-line styles lay everything out on one line; otherwise the
// text wraps at `width`. UI thread only (measures with its Pango context).
#pragma once

#include <string>
#include <vector>

#include "ui/core/geometry.h"

namespace ui {

class TextCaretMap {
 public:
  TextCaretMap() = default;
  TextCaretMap(const std::wstring& text, const std::wstring& font_id, unsigned style, int width);

  // The caret at `position` (clamped): one pixel wide, a line high.
  UiRect CaretRect(size_t position) const;
  // The position nearest to `point` (the caret goes before the character
  // whose left half holds the point).
  size_t PositionAt(UiPoint point) const;
  // The natural size of the text; an empty text is one (empty) line high.
  UiSize GetSize() const { return size_; }
  // Rectangles covering [from, to), one per line.
  std::vector<UiRect> RangeRects(size_t from, size_t to) const;

 private:
  std::vector<UiRect> carets_;  // size() + 1 entries
  UiSize size_;
};

}  // namespace ui
