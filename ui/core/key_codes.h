// Key codes and modifier flags of keyboard events, with the values of the
// Windows virtual keys the layouts and handlers are written in (letters and
// digits are their upper-case characters). The host translates the window
// system's keys into these; controls never see native key symbols.
#pragma once

#include <cstdint>

namespace ui {

enum KeyCode : wchar_t {
  kKeyBack = 8,
  kKeyTab = 9,
  kKeyEnter = 13,
  kKeyShift = 16,
  kKeyControl = 17,
  kKeyAlt = 18,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
  kKeyDelete = 46,
  kKeyF1 = 112,
};

// Modifier keys held when an event was raised (EventArgs::modifiers).
enum KeyModifier : uint32_t {
  kModifierShift = 1u << 0,
  kModifierControl = 1u << 1,
  kModifierAlt = 1u << 2,
};

}  // namespace ui
