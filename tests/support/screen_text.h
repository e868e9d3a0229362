// Reading what the screen shows, independently of the program's own drawing:
// pixels grabbed from the X server, text read back by tesseract, and finders
// for a text field's caret and selection highlight.
//
// Use it to judge a window from outside: grab the rectangle of a control
// (screen coordinates, e.g. the native window's position plus the control's
// rectangle), then
//   ReadText(grab)                    -> "1.234.0"  (one line, Latin)
//   ReadText(grab, OcrLanguage::kChinese) -> "项目名"
//   FindCaretColumns(grab, 14)         -> x of each thin tall dark line
//   FindColorSpan(grab, 0x99C9EF, 8)   -> [first, last] column of a colour
// OCR scales the picture up four times in grey with a white margin, the way
// tesseract reads small UI text reliably; a thin caret may come out as one
// extra "|", "l" or "1", so tests compare with CleanOcr() or look for
// substrings. tesseract (and tesseract-ocr-chi-sim for Chinese) come from
// tools/setup; HaveTesseract() lets a test skip cleanly without them.
//
// Threads: any thread with its own Display connection; nothing is shared.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct _XDisplay;

namespace fleetsync_test {

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ScreenGrab {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // 0xRRGGBB, row by row

  bool empty() const { return rgb.empty(); }
  uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
  // A part of this grab (clamped to it).
  ScreenGrab Crop(int x, int y, int width, int height) const;
};

// What the screen (the root window, so every top-level window and the
// compositor's output) shows in `area`; empty when it cannot be read.
ScreenGrab GrabScreen(_XDisplay* display, const ScreenRect& area);

enum class OcrLanguage { kLatin, kChinese };

bool HaveTesseract(OcrLanguage language = OcrLanguage::kLatin);

// One line of text read from `grab` (tesseract --psm 7), without the
// trailing line break; empty when nothing was read.
std::string ReadText(const ScreenGrab& grab, OcrLanguage language = OcrLanguage::kLatin);

// OCR text without blanks and without the characters a caret is read as
// ('|'), for comparing with what was typed.
std::string CleanOcr(const std::string& text);

// Columns holding a vertical run of at least `min_run` dark pixels (every
// channel at most `max_level`), in groups at most two columns wide: a text
// caret, not the stroke of a glyph (shorter) nor a block of ink (wider).
// A field's frame is a line too: crop it away first.
std::vector<int> FindCaretColumns(const ScreenGrab& grab, int min_run, int max_level = 0x50);

// First and last column that hold a pixel within `tolerance` (per channel)
// of `rgb`; nullopt when there is none.
std::optional<std::pair<int, int>> FindColorSpan(const ScreenGrab& grab, uint32_t rgb,
                                                 int tolerance);

}  // namespace fleetsync_test
