// The value syntaxes of layout attributes: booleans, integers, sizes, pairs,
// rectangles and the DPI scaling applied to them.
//
// Parsers return values and never throw; malformed text gives the documented
// fall-back (false, 0, missing items 0).
#pragma once

#include <optional>
#include <string>

#include "ui/core/geometry.h"

namespace ui {

// Sizes: fixed pixels, or one of these markers.
inline constexpr int kSizeStretch = -1;
inline constexpr int kSizeAuto = -2;

// Exactly "true" is true.
bool ParseBool(const std::wstring& value);

// The leading decimal number (optional sign), 0 when there is none. Out of
// range numbers saturate at the int limits instead of wrapping.
int ParseInt(const std::wstring& value);

// "stretch", "auto" or a non-negative pixel count (scaled when `scale` is
// set). Other negative numbers and non-numbers give nullopt (the caller keeps
// its value).
std::optional<int> ParseSize(const std::wstring& value, bool scale = true);

// Up to `count` decimal integers, each separated from the next by one
// arbitrary character; parsing stops at the end of the text and missing
// values are 0. Returns how many were read.
int ParseIntList(const std::wstring& value, int* out, int count);
UiSize ParsePair(const std::wstring& value);
UiRect ParseRect(const std::wstring& value);

// DPI scaling by the global UI scale (no-op when not adapted or at 100 %).
int ScaleInt(int value);
UiSize ScaleSize(UiSize size);
// Margins and similar four-sided insets: every side scaled.
UiRect ScaleInsets(const UiRect& insets);
// The layout padding form: left and top scaled, right and bottom keep the
// scaled distance to them.
UiRect ScalePadding(const UiRect& padding);

}  // namespace ui
