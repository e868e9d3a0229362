// Event types raised on controls, with the values and markup names the
// layouts use. Values 0-3 are internal: only a control's built-in handling
// sees them.
#pragma once

#include <string>

namespace ui {

enum EventType : int {
  kEventInternalDoubleClick = 0,
  kEventInternalMenu = 1,
  kEventInternalSetFocus = 2,
  kEventInternalKillFocus = 3,
  kEventNone = 4,  // unknown markup names map here
  kEventAll = 6,
  kEventKeyDown = 8,
  kEventKeyUp = 9,
  kEventChar = 10,
  kEventSystemKey = 11,
  kEventMouseMove = 14,
  kEventMouseEnter = 15,
  kEventMouseLeave = 16,
  kEventMouseHover = 17,
  kEventMouseButtonDown = 18,
  kEventMouseButtonUp = 19,
  kEventMouseRightButtonDown = 20,
  kEventMouseRightButtonUp = 21,
  kEventMouseDoubleClick = 22,
  kEventMouseMenu = 23,
  kEventMouseScrollWheel = 24,
  kEventTouchDown = 27,
  kEventTouchMove = 28,
  kEventTouchUp = 29,
  kEventSetFocus = 36,
  kEventKillFocus = 37,
  kEventWindowSize = 38,
  kEventWindowClose = 39,
  kEventSetCursor = 40,
  kEventClick = 41,
  kEventSelect = 42,
  kEventUnSelect = 43,
  kEventExpand = 44,
  kEventUnExpand = 45,
  kEventTextChange = 46,
  kEventReturn = 47,
  kEventTab = 48,
  // The text of a composition in progress changed (Window::GetImeComposition).
  kEventImeComposition = 49,
  kEventImeStartComposition = 50,
  kEventImeEndComposition = 51,
  kEventScrollChange = 52,
  kEventValueChange = 53,
  kEventDestroy = 57,
};

inline bool IsMouseEvent(EventType t) {
  return t >= kEventMouseMove && t <= kEventMouseScrollWheel;
}

// Markup name ("buttonup") to type; unknown names give kEventNone.
EventType EventTypeFromName(const std::wstring& name);

}  // namespace ui
