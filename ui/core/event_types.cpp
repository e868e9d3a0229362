#include "ui/core/event_types.h"

#include <unordered_map>

namespace ui {

EventType EventTypeFromName(const std::wstring& name) {
  static const std::unordered_map<std::wstring, EventType> kNames = {
      {L"all", kEventAll},
      {L"keydown", kEventKeyDown},
      {L"keyup", kEventKeyUp},
      {L"char", kEventChar},
      {L"syskey", kEventSystemKey},
      {L"mousemove", kEventMouseMove},
      {L"mouseenter", kEventMouseEnter},
      {L"mouseleave", kEventMouseLeave},
      {L"mousehover", kEventMouseHover},
      {L"buttondown", kEventMouseButtonDown},
      {L"buttonup", kEventMouseButtonUp},
      {L"rbuttondown", kEventMouseRightButtonDown},
      {L"doubleclick", kEventMouseDoubleClick},
      {L"menu", kEventMouseMenu},
      {L"scrollwheel", kEventMouseScrollWheel},
      {L"setfocus", kEventSetFocus},
      {L"killfocus", kEventKillFocus},
      {L"windowclose", kEventWindowClose},
      {L"setcursor", kEventSetCursor},
      {L"select", kEventSelect},
      {L"unselect", kEventUnSelect},
      {L"expand", kEventExpand},
      {L"unexpand", kEventUnExpand},
      {L"return", kEventReturn},
      {L"tab", kEventTab},
      {L"scrollchange", kEventScrollChange},
      {L"valuechange", kEventValueChange},
  };
  auto it = kNames.find(name);
  return it == kNames.end() ? kEventNone : it->second;
}

}  // namespace ui
