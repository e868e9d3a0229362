// Text style bits, with the values of the Windows DT_* flags the layouts and
// the label alignment rules are written in.
#pragma once

namespace ui {

enum TextStyle : unsigned {
  kTextLeft = 0x0000,
  kTextTop = 0x0000,
  kTextCenter = 0x0001,       // DT_CENTER
  kTextRight = 0x0002,        // DT_RIGHT
  kTextVCenter = 0x0004,      // DT_VCENTER
  kTextBottom = 0x0008,       // DT_BOTTOM
  kTextWordBreak = 0x0010,    // DT_WORDBREAK
  kTextSingleLine = 0x0020,   // DT_SINGLELINE
  kTextNoClip = 0x0100,       // DT_NOCLIP
  kTextEndEllipsis = 0x8000,  // DT_END_ELLIPSIS
};

// What a label starts with: one line, not clipped, an ellipsis at the end.
inline constexpr unsigned kDefaultLabelTextStyle = kTextSingleLine | kTextNoClip | kTextEndEllipsis;

}  // namespace ui
