#include "ui/window/window_impl_base.h"

#include <algorithm>

#include "base/message_loop.h"
#include "ui/controls/control_fades.h"
#include "ui/animation/ui_timers.h"
#include "ui/controls/box.h"
#include "ui/controls/button.h"
#include "ui/window/window_icon.h"
#include "ui/markup/layout_builder.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/image.h"

namespace ui {
namespace {

std::optional<ResizeEdge> EdgeOf(HitArea area) {
  switch (area) {
    case HitArea::kTopLeft: return ResizeEdge::kTopLeft;
    case HitArea::kTop: return ResizeEdge::kTop;
    case HitArea::kTopRight: return ResizeEdge::kTopRight;
    case HitArea::kRight: return ResizeEdge::kRight;
    case HitArea::kBottomRight: return ResizeEdge::kBottomRight;
    case HitArea::kBottom: return ResizeEdge::kBottom;
    case HitArea::kBottomLeft: return ResizeEdge::kBottomLeft;
    case HitArea::kLeft: return ResizeEdge::kLeft;
    default: return std::nullopt;
  }
}

CursorType ResizeCursor(HitArea area) {
  switch (area) {
    case HitArea::kTopLeft:
    case HitArea::kBottomRight: return CursorType::kSizeNWSE;
    case HitArea::kTopRight:
    case HitArea::kBottomLeft: return CursorType::kSizeNESW;
    case HitArea::kTop:
    case HitArea::kBottom: return CursorType::kSizeNS;
    default: return CursorType::kSizeWE;
  }
}

}  // namespace

WindowImplBase::WindowImplBase() : router_(*this, *this) {}

WindowImplBase::~WindowImplBase() {
  close_flag_.Cancel();
  hover_flag_.Cancel();
  CancelWeakCallbacks();
  // Deleted without closing: the owner must not stay disabled.
  if (WindowImplBase* o = owner(); fake_modal_ && o) o->SetInputEnabled(true);
  // Owned windows go first, while this one (their owner) still exists.
  std::vector<std::pair<WindowImplBase*, std::weak_ptr<vbase::WeakFlag>>> owned;
  owned.swap(owned_);
  for (auto& [window, alive] : owned) {
    if (!alive.expired()) delete window;
  }
  host_.reset();
}

Control* WindowImplBase::CreateControl(const std::wstring& element) {
  (void)element;
  return nullptr;
}

bool WindowImplBase::Create(WindowSystem& system, WindowImplBase* owner, const std::wstring& title,
                            const UiRect& bounds, bool translucent) {
  if (host_) return false;
  system_ = &system;
  std::wstring folder = GetSkinFolder();
  if (!folder.empty() && folder.back() != L'/') folder += L'/';
  SetResourcePath(folder);
  if (!GetRoot()) {
    const std::wstring file = GetSkinFile();
    const bool inline_markup = !file.empty() && file.front() == L'<';
    Control* built = LayoutBuilder::Create(
        inline_markup ? file : folder + file, [this](const std::wstring& element) { return CreateControl(element); },
        this);
    auto* root = dynamic_cast<Box*>(built);
    if (!root) {
      delete built;
      return false;
    }
    AttachRoot(root);
  }
  SetAnimationInstaller([](Control& control) { InstallControlFades(control, UiTimerScope::current()); });

  if (const double percent = GetHeightPercent(); percent > 0) {
    const ScreenRect work = system.GetWorkArea();
    int height = static_cast<int>(work.height * percent);
    if (GetMinInfo().cy > 0) height = std::max(height, GetMinInfo().cy);
    if (GetMaxInfo().cy > 0) height = std::min(height, GetMaxInfo().cy);
    SetInitSize({GetInitSize().cx, height});
  }

  WindowOptions options;
  options.title = title.empty() ? GlobalManager::GetText(GetTextId()) : title;
  options.class_name = GetWindowClassName();
  options.translucent = translucent;
  if (!bounds.IsEmpty()) {
    options.bounds = ScreenRect{bounds.left, bounds.top, bounds.Width(), bounds.Height()};
  }
  options.min_size = GetMinInfo();
  options.max_size = GetMaxInfo();
  if (owner && owner->host()) {
    SetOwner(owner);
    options.owner = owner->host();
  }
  AdjustWindowOptions(options);
  host_ = system.CreateHost(*this, options);
  if (!host_) return false;
  host_->SetCloseRequestHandler(ToWeakCallback([this] { Close(0); }));
  host_->SetDestroyedHandler(ToWeakCallback([this] { OnNativeDestroyed(); }));
  host_->SetInputHandler(
      ToWeakCallback([this](const WindowEvent& event) { OnNativeInput(event); }));
  BindSystemButtons();
  InitWindow();
  return true;
}

void WindowImplBase::BindSystemButtons() {
  for (const wchar_t* name : {L"closebtn", L"minbtn", L"maxbtn", L"restorebtn"}) {
    Control* control = FindControl(name);
    if (!dynamic_cast<Button*>(control) && !dynamic_cast<ButtonBox*>(control)) continue;
    control->AttachClick(
        ToWeakCallback([this](const EventArgs& args) { return !OnSysButtonClick(args); }));
  }
}

bool WindowImplBase::OnSysButtonClick(const EventArgs& args) {
  if (!args.sender) return false;
  const std::wstring& name = args.sender->GetName();
  if (name == L"closebtn") Close(1);
  else if (name == L"minbtn") Minimize();
  else if (name == L"maxbtn") Maximize();
  else if (name == L"restorebtn") Restore();
  else return false;
  return true;
}

WindowImplBase* WindowImplBase::owner() const { return owner_alive_.expired() ? nullptr : owner_; }

void WindowImplBase::SetOwner(WindowImplBase* owner) {
  if (owner == this->owner()) return;
  owner_ = owner;
  owner_alive_ = owner->GetWeakFlag();
  std::erase_if(owner->owned_, [](const auto& entry) { return entry.second.expired(); });
  owner->owned_.emplace_back(this, GetWeakFlag());
}

void WindowImplBase::SetInputEnabled(bool enabled) {
  if (!host_) return;
  host_->SetInputEnabled(enabled);
  if (!enabled) router_.OnInputBlocked();
}

void WindowImplBase::ShowWindow(bool show, bool take_focus) {
  if (!host_) return;
  if (show) host_->Show(take_focus);
  else host_->Hide();
}

// --- Closing --------------------------------------------------------------------

void WindowImplBase::Close(int code) {
  if (closing_) return;
  if (fake_modal_) {
    fake_modal_ = false;
    if (WindowImplBase* o = owner(); o && o->host()) {
      o->SetInputEnabled(true);
      o->host()->SetNativeFocus();
    }
  }
  if (!host_ || !host_->alive()) return;
  closing_ = true;
  close_code_ = code;
  TimerManager* timers = UiTimerScope::current();
  if (timers && timers->AddTimer(close_flag_, [this] { FinishClose(); }, kCloseDelayMs)) {
    FadeOutRoot(*timers);
    return;
  }
  FinishClose();
}

void WindowImplBase::FadeOutRoot(TimerManager& timers) {
  Box* root = GetRoot();
  if (!root) return;
  const auto start = timers.Now();
  const int steps = kCloseDelayMs / 16;
  timers.AddTimer(
      close_flag_,
      [this, &timers, start] {
        Box* root = GetRoot();
        if (!root) return;
        const double elapsed_ms = static_cast<double>((timers.Now() - start).count()) / 1000.0;
        const double left = std::clamp(1.0 - elapsed_ms / kCloseDelayMs, 0.0, 1.0);
        root->SetAlpha(static_cast<int>(255 * left));
      },
      16, steps);
}

void WindowImplBase::FinishClose() {
  router_.OnWindowClosing();
  OnClose();
  if (WindowImplBase* o = owner(); o && o->host() && o->host()->input_enabled()) {
    o->host()->SetNativeFocus();
  }
  if (host_) host_->Destroy();
}

void WindowImplBase::OnNativeDestroyed() {
  close_flag_.Cancel();
  hover_flag_.Cancel();
  OnFinalMessage();  // may delete this
}

void WindowImplBase::OnFinalMessage() { delete this; }

// --- Placement ------------------------------------------------------------------

void WindowImplBase::CenterWindow() {
  if (!host_ || !system_) return;
  // The visible frames count, not the drawn shadows around them.
  const ScreenRect self = host_->frame_bounds();
  host_->SetFrameBounds(CenteredFrame(self.width, self.height));
}

ScreenRect WindowImplBase::CenteredFrame(int width, int height) const {
  WindowImplBase* o = owner();
  const bool over_owner = o && o->host() && o->host()->mapped();
  const ScreenRect current = host_ ? host_->frame_bounds() : ScreenRect{0, 0, width, height};
  const ScreenRect anchor = over_owner ? o->host()->frame_bounds() : current;
  // The work area of the monitor the owner (or the window) is on.
  const ScreenRect work = system_ ? system_->GetWorkArea(anchor) : anchor;
  const ScreenRect target = over_owner ? anchor : work;
  int x = target.x + (target.width - width) / 2;
  int y = target.y + (target.height - height) / 2;
  // Inside the work area; the left and top edges win when it is too small.
  x = std::max(work.x, std::min(x, work.x + work.width - width));
  y = std::max(work.y, std::min(y, work.y + work.height - height));
  return ScreenRect{x, y, width, height};
}

void WindowImplBase::ShowModalFake(WindowImplBase* owner) {
  if (!host_ || !owner || !owner->host()) return;
  SetOwner(owner);
  host_->SetOwner(*owner->host(), true);
  CenterWindow();
  ShowWindow(true, true);
  owner->SetInputEnabled(false);
  fake_modal_ = true;
}

bool WindowImplBase::SetIcon(const std::wstring& image_path) {
  if (!host_) return false;
  const std::shared_ptr<ImageInfo> image =
      GlobalManager::GetImage(GlobalManager::GetResFullPath(GetResourcePath(), image_path));
  if (!image) return false;
  host_->SetIcon(IconPictures(*image, {32, 16}));
  return true;
}

void WindowImplBase::Minimize() {
  if (host_) host_->Minimize();
}

void WindowImplBase::Maximize() {
  if (!host_ || !system_ || maximized_) return;
  restore_bounds_ = host_->frame_bounds();
  maximized_ = true;
  SwapMaxRestoreButtons(true);
  // The frame fills the work area; a shadow would lie outside it.
  host_->SetShadowHidden(true);
  host_->SetFrameBounds(system_->GetWorkArea(restore_bounds_));
}

void WindowImplBase::Restore() {
  if (!host_ || !maximized_) return;
  maximized_ = false;
  SwapMaxRestoreButtons(false);
  host_->SetShadowHidden(false);
  host_->SetFrameBounds(restore_bounds_);
}

void WindowImplBase::SwapMaxRestoreButtons(bool maximized) {
  Control* max_button = FindControl(L"maxbtn");
  Control* restore_button = FindControl(L"restorebtn");
  if (!max_button || !restore_button) return;
  max_button->SetFadeVisible(!maximized);
  restore_button->SetFadeVisible(maximized);
}

// --- Input ------------------------------------------------------------------------

HitArea WindowImplBase::HitTest(UiPoint point) const {
  HitTestFrame frame;
  if (host_) frame.client = host_->GetClientSize();
  frame.shadow_padding = GetFrameMargin();
  frame.maximized = maximized_;
  return HitTestWindow(*this, point, frame);
}

void WindowImplBase::OnNativeInput(const WindowEvent& event) {
  switch (event.type) {
    case WindowEventType::kButtonPress:
      if (StartFrameDrag(event)) return;
      break;
    case WindowEventType::kKeyPress:
      if (OnKeyDown(event.key_code, event.modifiers)) return;
      break;
    default: break;
  }
  std::weak_ptr<vbase::WeakFlag> alive = GetWeakFlag();
  router_.Route(event);  // a handler may close and even delete the window
  if (alive.expired()) return;
  if (event.type == WindowEventType::kMotion && !GetPressedControl()) UpdateFrameCursor(event.point);
}

bool WindowImplBase::StartFrameDrag(const WindowEvent& event) {
  if (event.button != MouseButton::kLeft || !host_) return false;
  const HitArea area = HitTest(event.point);
  if (event.double_click) {
    // A double click on the caption of a window that can maximise toggles it.
    if (area != HitArea::kCaption || !FindControl(L"maxbtn")) return false;
    if (maximized_) Restore();
    else Maximize();
    return true;
  }
  if (area == HitArea::kCaption) {
    // A maximised window stays where it is, filling its work area.
    if (!maximized_) host_->BeginMoveDrag(event.screen_point);
    return true;
  }
  if (std::optional<ResizeEdge> edge = EdgeOf(area)) {
    host_->BeginResizeDrag(*edge, event.screen_point);
    return true;
  }
  return false;
}

void WindowImplBase::UpdateFrameCursor(UiPoint point) {
  if (!host_) return;
  const HitArea area = HitTest(point);
  if (IsSizeArea(area)) {
    host_->SetCursor(ResizeCursor(area));
    frame_cursor_ = true;
  } else if (frame_cursor_) {
    frame_cursor_ = false;
    if (!FindControl(point)) host_->SetCursor(CursorType::kArrow);
  }
}

bool WindowImplBase::OnKeyDown(wchar_t key_code, uint32_t modifiers) {
  (void)key_code;
  (void)modifiers;
  return false;
}

void WindowImplBase::StartHoverTimer() {
  hover_flag_.Cancel();
  if (TimerManager* timers = UiTimerScope::current()) {
    timers->AddTimer(hover_flag_, [this] { router_.OnHoverTime(); }, InputRouter::kHoverTimeMs);
  }
}

void WindowImplBase::StopHoverTimer() { hover_flag_.Cancel(); }

}  // namespace ui
