#include "app/toast.h"

#include <functional>

#include "app/window_placement.h"
#include "base/thread_registry.h"
#include "base/time.h"
#include "ui/controls/box.h"

namespace {

constexpr wchar_t kKeyEscape = 27;

// Every control of the tree rooted at `control`, the root first.
void ForEachControl(ui::Control* control, const std::function<void(ui::Control*)>& visit) {
  if (!control) return;
  visit(control);
  if (auto* box = dynamic_cast<ui::Box*>(control)) {
    for (size_t i = 0; i < box->GetCount(); ++i) ForEachControl(box->GetItemAt(i), visit);
  }
}

}  // namespace

bool Toast::Open(ui::WindowSystem& system, ui::WindowImplBase* owner,
                 const std::wstring& text, int lifetime_ms) {
  // The title carries the message too, for assistive tools that read a
  // notification's name.
  if (!Create(system, owner, text)) return false;
  if (contentLabel) contentLabel->SetText(text);
  // The close is a weak callback: a toast closed (and deleted) earlier makes
  // it a no-op. Without a registered UI thread the toast's own loop serves.
  auto close = ToWeakCallback([this] { Close(1); });
  const auto delay = vbase::TimeDelta::FromMilliseconds(lifetime_ms);
  if (!vbase::ThreadRegistry::PostDelayedTask(0, close, delay)) {
    vbase::ThreadRegistry::PostDelayedTask(close, delay);
  }
  FitAndCenterWindow(*this);
  ShowWindow(true, true);
  return true;
}

void Toast::AdjustWindowOptions(ui::WindowOptions& options) {
  options.notification = true;
}

void Toast::InitWindow() {
  contentLabel = dynamic_cast<ui::Label*>(FindControl(L"content"));
  closeButton = FindControl(L"close_btn");
  ui::Box* root = GetRoot();
  if (!root) return;

  // Bubbled handlers of the root hear its own events and those of every
  // child that does not consume them.
  root->AttachBubbledEvent(ui::kEventClick, ToWeakCallback([this](const ui::EventArgs& args) {
    if (args.sender && args.sender->GetName() == L"close_btn") Close(1);
    return true;
  }));
  root->AttachBubbledEvent(ui::kEventMouseDoubleClick,
                           ToWeakCallback([this](const ui::EventArgs&) {
                             Close(1);
                             return true;
                           }));
  root->AttachBubbledEvent(ui::kEventMouseMove, ToWeakCallback([this](const ui::EventArgs&) {
    if (closeButton && !closeButton->IsVisible()) closeButton->SetFadeVisible(true);
    return true;
  }));
  // Leaving one control for another inside the toast keeps the button; the
  // pointer leaving the window (a point outside every control) hides it.
  ForEachControl(root, [this](ui::Control* control) {
    control->AttachEvent(ui::kEventMouseLeave, ToWeakCallback([this](const ui::EventArgs& args) {
      HideCloseButtonIfOutside(args.mouse_point);
      return true;
    }));
  });
}

bool Toast::OnKeyDown(wchar_t key_code, uint32_t modifiers) {
  if (key_code == kKeyEscape) Close(1);
  return ui::WindowImplBase::OnKeyDown(key_code, modifiers);
}

void Toast::HideCloseButtonIfOutside(ui::UiPoint point) {
  if (!closeButton || !host()) return;
  const ui::UiSize client = host()->GetClientSize();
  const ui::UiRect inner{1, 1, client.cx - 1, client.cy - 1};
  if (!inner.Contains(point)) closeButton->SetFadeVisible(false);
}

void ShowToast(const std::wstring& text, ui::WindowSystem& system, ui::WindowImplBase* owner) {
  auto* toast = new Toast;
  if (!toast->Open(system, owner, text)) delete toast;
}

void ShowToast(const std::wstring& text, ui::WindowImplBase* owner) {
  if (!owner || !owner->window_system()) return;
  ShowToast(text, *owner->window_system(), owner);
}
