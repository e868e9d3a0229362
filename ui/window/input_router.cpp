#include "ui/window/input_router.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "base/text.h"
#include "ui/controls/box.h"
#include "ui/controls/button.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/window.h"

namespace ui {
namespace {

using NativeEvent = WindowEventType;

// A point no control contains: a release there cannot activate anything.
constexpr UiPoint kOutsideEverything{INT_MIN / 2, INT_MIN / 2};

bool IsControlChar(wchar_t c) { return c < 32 || c == 127; }

// Tab stops: buttons (check boxes included) and rich edits. Rows of a list
// are buttons too, but they are chosen in their list, not by Tab.
bool TakesKeyboard(Control* control) {
  if (!control->IsKeyboardEnabled() || !control->IsTabStop() || control->IsNoFocus()) return false;
  if (dynamic_cast<ListContainerElement*>(control)) return false;
  return dynamic_cast<Button*>(control) || dynamic_cast<ButtonBox*>(control) ||
         dynamic_cast<RichEdit*>(control);
}

}  // namespace

InputRouter::InputRouter(Window& window, InputRouterDelegate& delegate)
    : window_(window), delegate_(delegate) {}

void InputRouter::Route(const WindowEvent& event) {
  switch (event.type) {
    case NativeEvent::kEnter:
    case NativeEvent::kMotion: OnMouseMove(event.point, event.modifiers); break;
    case NativeEvent::kLeave: OnPointerLeft(); break;
    case NativeEvent::kButtonPress: OnButtonPress(event); break;
    case NativeEvent::kButtonRelease: OnButtonRelease(event); break;
    case NativeEvent::kWheel: OnWheel(event); break;
    case NativeEvent::kKeyPress: OnKeyPress(event); break;
    case NativeEvent::kKeyRelease: OnKeyRelease(event); break;
    case NativeEvent::kCompositionStart:
    case NativeEvent::kComposition:
    case NativeEvent::kCompositionEnd: OnComposition(event); break;
    case NativeEvent::kFocusOut:
      // A press that loses the focus is cancelled, never completed.
      if (window_.GetPressedControl()) CancelPressed();
      break;
    default: break;
  }
}

// --- Mouse ------------------------------------------------------------------

void InputRouter::OnMouseMove(UiPoint point, uint32_t modifiers) {
  window_.SetLastMousePoint(point);
  pointer_inside_ = true;
  delegate_.StartHoverTimer();
  if (!button_down_) {
    UpdateHover(point);
    // The control under the pointer chooses the cursor.
    if (Control* under = window_.FindControl(point)) {
      under->SendEvent(kEventSetCursor, 0, 0, 0, point);
    } else {
      window_.SetCursor(CursorType::kArrow);
    }
  }
  if (Control* pressed = window_.GetPressedControl()) {
    pressed->SendEvent(kEventMouseMove, 0, 0, 0, point, modifiers);
  } else if (Control* hover = window_.GetHoverControl()) {
    hover->SendEvent(kEventMouseMove, 0, 0, 0, point, modifiers);
  }
}

void InputRouter::UpdateHover(UiPoint point) {
  Control* now = window_.FindControl(point);
  Control* old = window_.GetHoverControl();
  if (now == old) return;
  if (old) {
    window_.SetHoverControl(nullptr);
    if (WindowHost* host = window_.GetHost()) host->HideTooltip();
    old->SendEvent(kEventMouseLeave, 0, 0, 0, point);
  }
  // The leave handler may have changed the tree: look again.
  now = window_.FindControl(point);
  if (now && now != window_.GetHoverControl()) {
    window_.SetHoverControl(now);
    now->SendEvent(kEventMouseEnter, 0, 0, 0, point);
  }
}

void InputRouter::RefreshHover() {
  if (pointer_inside_ && !button_down_) UpdateHover(window_.GetLastMousePoint());
}

void InputRouter::OnPointerLeft() {
  pointer_inside_ = false;
  if (button_down_) return;  // the pressed control keeps the pointer
  delegate_.StopHoverTimer();
  if (WindowHost* host = window_.GetHost()) host->HideTooltip();
  if (Control* hover = window_.GetHoverControl()) {
    window_.SetHoverControl(nullptr);
    hover->SendEvent(kEventMouseLeave, 0, 0, 0, kOutsideEverything);
  }
}

void InputRouter::OnButtonPress(const WindowEvent& event) {
  if (event.button != MouseButton::kLeft && event.button != MouseButton::kRight) return;
  // A second button while one is held belongs to no press of its own.
  if (button_down_) return;
  const UiPoint point = event.point;
  window_.SetLastMousePoint(point);
  WindowHost* host = window_.GetHost();
  if (host && !host->HasNativeFocus()) host->SetNativeFocus();
  window_.SetFocusVisible(false);
  Control* control = window_.FindControl(point);
  if (!control) return;
  window_.SetPressedControl(control);
  std::weak_ptr<vbase::WeakFlag> alive = control->GetWeakFlag();
  if (event.button == MouseButton::kLeft && !event.double_click) control->SetFocus();
  if (alive.expired()) return;
  window_.SetCapture();
  button_down_ = true;
  pressed_button_ = event.button;
  if (event.button == MouseButton::kRight) {
    control->SendEvent(kEventMouseRightButtonDown, 0, 0, 0, point);
  } else if (event.double_click) {
    control->SendEvent(kEventInternalDoubleClick, 0, 0, 0, point, event.modifiers);
    if (!alive.expired()) control->SendEvent(kEventMouseDoubleClick, 0, 0, 0, point);
  } else {
    control->SendEvent(kEventMouseButtonDown, 0, 0, 0, point, event.modifiers);
  }
}

void InputRouter::OnButtonRelease(const WindowEvent& event) {
  if (event.button != MouseButton::kLeft && event.button != MouseButton::kRight) return;
  if (button_down_ && event.button != pressed_button_) return;  // not the press's button
  const UiPoint point = event.point;
  window_.SetLastMousePoint(point);
  window_.ReleaseCapture();
  button_down_ = false;
  Control* pressed = window_.GetPressedControl();
  if (!pressed) return;
  // Cleared before dispatch: the release (a click) may destroy the control.
  window_.SetPressedControl(nullptr);
  if (event.button == MouseButton::kRight) {
    std::weak_ptr<vbase::WeakFlag> alive = pressed->GetWeakFlag();
    pressed->SendEvent(kEventMouseRightButtonUp, 0, 0, 0, point);
    if (!alive.expired()) pressed->SendEvent(kEventInternalMenu, 0, 0, 0, point);
  } else {
    pressed->SendEvent(kEventMouseButtonUp, 0, 0, 0, point);
  }
  // The hover control may have changed while the button was held.
  UpdateHover(point);
}

void InputRouter::OnWheel(const WindowEvent& event) {
  const UiPoint point = event.point;
  window_.SetLastMousePoint(point);
  if (Control* control = window_.FindControl(point)) {
    control->SendEvent(kEventMouseScrollWheel, static_cast<uintptr_t>(event.wheel_delta), 0, 0,
                       point);
  }
}

void InputRouter::OnHoverTime() {
  const UiPoint point = window_.GetLastMousePoint();
  if (!window_.FindControl(point)) return;
  if (Control* hover = window_.GetHoverControl()) hover->SendEvent(kEventMouseHover, 0, 0, 0, point);
  // The hover handler may have changed the tree.
  Control* control = window_.FindControl(point);
  if (!control) return;
  const std::wstring text = control->GetToolTipText();
  if (text.empty()) return;
  if (WindowHost* host = window_.GetHost()) host->ShowTooltip(control->GetPos(), text);
}

void InputRouter::CancelPressed() {
  Control* pressed = window_.GetPressedControl();
  window_.SetPressedControl(nullptr);
  button_down_ = false;
  window_.ReleaseCapture();
  if (!pressed) return;
  EventArgs cancel;
  cancel.type = kEventMouseButtonUp;
  cancel.sender = pressed;
  cancel.timestamp = GetTickCountMs();
  cancel.mouse_point = kOutsideEverything;
  pressed->HandleEvent(cancel);
}

void InputRouter::OnInputBlocked() {
  delegate_.StopHoverTimer();
  if (WindowHost* host = window_.GetHost()) host->HideTooltip();
  if (Control* hover = window_.GetHoverControl()) {
    window_.SetHoverControl(nullptr);
    hover->SendEvent(kEventMouseLeave, 0, 0, 0, kOutsideEverything);
  }
  CancelPressed();
}

void InputRouter::OnWindowClosing() {
  OnInputBlocked();
  window_.KillFocus();
}

// --- Keyboard -----------------------------------------------------------------

void InputRouter::OnKeyPress(const WindowEvent& event) {
  Control* focus = window_.GetFocus();
  if (!focus) return;
  const wchar_t key = event.key_code;
  const uint32_t modifiers = event.modifiers;
  if (key == kKeyTab) {
    auto* edit = dynamic_cast<RichEdit*>(focus);
    if (edit && edit->IsVisible() && edit->IsEnabled() && edit->WantsTab()) {
      edit->SendEvent(kEventChar, L'\t', 0, L'\t', {}, modifiers);
    } else {
      SetNextTabControl(!(modifiers & kModifierShift));
    }
    return;
  }
  if (key) {
    window_.SetKeyDownControl(focus);
    focus->SendEvent(kEventKeyDown, key, 0, key, {}, modifiers);
  }
  // Ctrl and Alt combinations are commands, not text.
  if (modifiers & (kModifierControl | kModifierAlt)) return;
  std::wstring text = Utf8ToUtf16(event.text);
  std::erase_if(text, IsControlChar);
  for (wchar_t c : text) {
    // The key-down handler (or an earlier character) may have moved the focus.
    Control* target = window_.GetFocus();
    if (!target) return;
    target->SendEvent(kEventChar, static_cast<uintptr_t>(c), 0, c, {}, modifiers);
  }
}

void InputRouter::OnKeyRelease(const WindowEvent& event) {
  Control* control = window_.GetKeyDownControl();
  if (!control) return;
  window_.SetKeyDownControl(nullptr);
  const wchar_t key = event.key_code;
  control->SendEvent(kEventKeyUp, key, 0, key, {}, event.modifiers);
}

void InputRouter::OnComposition(const WindowEvent& event) {
  Window::ImeComposition composition;
  EventType type = kEventImeComposition;
  if (event.type == NativeEvent::kCompositionStart) {
    type = kEventImeStartComposition;
  } else if (event.type == NativeEvent::kCompositionEnd) {
    type = kEventImeEndComposition;
  } else {
    composition.text = Utf8ToUtf16(event.text);
    composition.caret = static_cast<size_t>(std::max(0, event.composition_caret));
  }
  window_.SetImeComposition(std::move(composition));
  if (Control* focus = window_.GetFocus()) focus->SendEvent(type);
}

// --- Focus ------------------------------------------------------------------

std::vector<Control*> InputRouter::GetTabOrder() const {
  std::vector<Control*> order;
  Box* root = window_.GetRoot();
  if (!root) return order;
  root->FindControl(
      [&order](Control* c) {
        if (TakesKeyboard(c)) order.push_back(c);
        return false;
      },
      kFindVisible | kFindEnabled | kFindMeFirst, UiPoint{});
  return order;
}

void InputRouter::SetNextTabControl(bool forward) {
  const std::vector<Control*> order = GetTabOrder();
  if (order.empty()) return;
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  std::ptrdiff_t index = std::find(order.begin(), order.end(), window_.GetFocus()) - order.begin();
  if (index == n) {
    index = forward ? 0 : n - 1;
  } else {
    index = forward ? (index + 1) % n : (index + n - 1) % n;
  }
  window_.SetFocusVisible(true);
  window_.SetFocus(order[static_cast<size_t>(index)]);
}

}  // namespace ui
