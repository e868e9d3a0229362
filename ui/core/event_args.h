// The record every event carries, and the handler type.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "ui/core/event_types.h"
#include "ui/core/geometry.h"

namespace ui {

class Control;

struct EventArgs {
  EventType type = kEventNone;
  Control* sender = nullptr;
  uint32_t timestamp = 0;  // tick count in ms when the event was raised
  UiPoint mouse_point;     // window client coordinates
  wchar_t key_code = 0;
  uintptr_t w_param = 0;
  intptr_t l_param = 0;
  uint32_t modifiers = 0;  // KeyModifier bits held when the input arrived
};

// Returning false stops the chain of handlers and the built-in handling.
using EventCallback = std::function<bool(const EventArgs&)>;
using EventMap = std::map<EventType, std::vector<EventCallback>>;

// Milliseconds of a monotonic clock, wrapping at 2^32 like the system tick count.
uint32_t GetTickCountMs();

}  // namespace ui
