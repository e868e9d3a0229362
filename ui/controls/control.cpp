#include "ui/controls/control.h"

#include <algorithm>

#include "ui/controls/attribute_table.h"
#include "ui/controls/box.h"
#include "ui/controls/window.h"
#include "ui/core/attribute_list.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/image.h"

namespace ui {

namespace {

constexpr uint32_t kFocusRingColor = 0xFF1E78DC;
constexpr int kFocusRingWidth = 2;

HorAlign ParseHorAlign(const std::wstring& v, HorAlign fallback) {
  if (v == L"left") return HorAlign::kLeft;
  if (v == L"center") return HorAlign::kCenter;
  if (v == L"right") return HorAlign::kRight;
  return fallback;
}

VerAlign ParseVerAlign(const std::wstring& v, VerAlign fallback) {
  if (v == L"top") return VerAlign::kTop;
  if (v == L"center" || v == L"vcenter") return VerAlign::kCenter;
  if (v == L"bottom") return VerAlign::kBottom;
  return fallback;
}

void SetBorderSide(Control& c, int side, const std::wstring& v) {
  UiRect r = c.GetBorderSize();
  int px = ScaleInt(ParseInt(v));
  (side == 0 ? r.left : side == 1 ? r.top : side == 2 ? r.right : r.bottom) = px;
  c.SetBorderSize(r);
}

}  // namespace

Control::Control() {
  // Created here, on the UI thread, before any callback can be bound.
  GetWeakFlag();
}

Control::~Control() {
  if (!destroy_raised_) BeginDestroy();
  animations_.reset();
  if (parent_) parent_->ForgetItem(this);
  if (window_) window_->OnControlDetached(this);
}

void Control::Destroy(Control* control) {
  if (!control) return;
  control->BeginDestroy();
  delete control;
}

void Control::BeginDestroy() {
  if (destroy_raised_) return;
  destroy_raised_ = true;
  EventArgs args;
  args.type = kEventDestroy;
  args.sender = this;
  args.timestamp = GetTickCountMs();
  std::weak_ptr<vbase::WeakFlag> alive = GetWeakFlag();
  RunHandlers(events_, kEventDestroy, args, alive) &&
      RunHandlers(xml_events_, kEventDestroy, args, alive);
  CancelWeakCallbacks();
}

Image& Control::StateImages::Get(ControlState s) {
  switch (s) {
    case ControlState::kHot: return hot;
    case ControlState::kPushed: return pushed;
    case ControlState::kDisabled: return disabled;
    default: return normal;
  }
}

// --- Attributes -------------------------------------------------------------

bool Control::SetAttribute(const std::wstring& name, const std::wstring& value) {
  static const AttributeTable<Control> table = {
      {L"class", [](Control& c, const std::wstring& v) { c.SetClass(v); }},
      {L"halign", [](Control& c, const std::wstring& v) { c.SetHorAlign(ParseHorAlign(v, c.GetHorAlign())); }},
      {L"valign", [](Control& c, const std::wstring& v) { c.SetVerAlign(ParseVerAlign(v, c.GetVerAlign())); }},
      {L"margin", [](Control& c, const std::wstring& v) { c.SetMargin(ScaleInsets(ParseRect(v))); }},
      {L"bkcolor", [](Control& c, const std::wstring& v) { c.SetBkColor(v); }},
      {L"bordersize",
       [](Control& c, const std::wstring& v) {
         if (v.find(L',') != std::wstring::npos) {
           c.SetBorderSize(ScaleInsets(ParseRect(v)));
         } else {
           int px = ScaleInt(ParseInt(v));
           c.SetBorderSize({px, px, px, px});
         }
       }},
      {L"leftbordersize", [](Control& c, const std::wstring& v) { SetBorderSide(c, 0, v); }},
      {L"topbordersize", [](Control& c, const std::wstring& v) { SetBorderSide(c, 1, v); }},
      {L"rightbordersize", [](Control& c, const std::wstring& v) { SetBorderSide(c, 2, v); }},
      {L"bottombordersize", [](Control& c, const std::wstring& v) { SetBorderSide(c, 3, v); }},
      {L"borderround", [](Control& c, const std::wstring& v) { c.border_round_ = ScaleSize(ParsePair(v)); }},
      {L"width", [](Control& c, const std::wstring& v) { if (auto s = ParseSize(v)) c.SetFixedWidth(*s); }},
      {L"height", [](Control& c, const std::wstring& v) { if (auto s = ParseSize(v)) c.SetFixedHeight(*s); }},
      {L"minwidth", [](Control& c, const std::wstring& v) { c.SetMinWidth(ScaleInt(ParseInt(v))); }},
      {L"maxwidth", [](Control& c, const std::wstring& v) { c.SetMaxWidth(ScaleInt(ParseInt(v))); }},
      {L"minheight", [](Control& c, const std::wstring& v) { c.SetMinHeight(ScaleInt(ParseInt(v))); }},
      {L"maxheight", [](Control& c, const std::wstring& v) { c.SetMaxHeight(ScaleInt(ParseInt(v))); }},
      {L"state",
       [](Control& c, const std::wstring& v) {
         if (v == L"normal") c.SetState(ControlState::kNormal);
         else if (v == L"hot") c.SetState(ControlState::kHot);
         else if (v == L"pushed") c.SetState(ControlState::kPushed);
         else if (v == L"disabled") c.SetEnabled(false);
       }},
      {L"cursortype",
       [](Control& c, const std::wstring& v) {
         if (v == L"arrow") c.SetCursorType(CursorType::kArrow);
         else if (v == L"hand") c.SetCursorType(CursorType::kHand);
         else if (v == L"ibeam") c.SetCursorType(CursorType::kIBeam);
       }},
      {L"normalcolor", [](Control& c, const std::wstring& v) { c.SetStateColor(ControlState::kNormal, v); }},
      {L"hotcolor", [](Control& c, const std::wstring& v) { c.SetStateColor(ControlState::kHot, v); }},
      {L"pushedcolor", [](Control& c, const std::wstring& v) { c.SetStateColor(ControlState::kPushed, v); }},
      {L"disabledcolor", [](Control& c, const std::wstring& v) { c.SetStateColor(ControlState::kDisabled, v); }},
      {L"bordercolor", [](Control& c, const std::wstring& v) { c.SetBorderColor(v); }},
      {L"bkimage", [](Control& c, const std::wstring& v) { c.SetBkImage(v); }},
      {L"name", [](Control& c, const std::wstring& v) { c.SetName(v); }},
      {L"tooltiptext", [](Control& c, const std::wstring& v) { c.SetToolTipText(v); }},
      {L"tooltiptextid", [](Control& c, const std::wstring& v) { c.SetToolTipTextId(v); }},
      {L"dataid", [](Control& c, const std::wstring& v) { c.SetDataId(v); }},
      {L"enabled", [](Control& c, const std::wstring& v) { c.SetEnabled(ParseBool(v)); }},
      {L"mouse", [](Control& c, const std::wstring& v) { c.SetMouseEnabled(ParseBool(v)); }},
      {L"keyboard", [](Control& c, const std::wstring& v) { c.SetKeyboardEnabled(ParseBool(v)); }},
      {L"visible", [](Control& c, const std::wstring& v) { c.SetVisible(ParseBool(v)); }},
      {L"fadevisible", [](Control& c, const std::wstring& v) { c.SetFadeVisible(ParseBool(v)); }},
      {L"float", [](Control& c, const std::wstring& v) { c.SetFloat(ParseBool(v)); }},
      {L"nofocus", [](Control& c, const std::wstring& v) { c.SetNoFocus(ParseBool(v)); }},
      {L"tabstop", [](Control& c, const std::wstring& v) { c.tab_stop_ = ParseBool(v); }},
      {L"alpha", [](Control& c, const std::wstring& v) { c.SetAlpha(ParseInt(v)); }},
      {L"normalimage", [](Control& c, const std::wstring& v) { c.SetStateImage(ControlState::kNormal, v); }},
      {L"hotimage", [](Control& c, const std::wstring& v) { c.SetStateImage(ControlState::kHot, v); }},
      {L"pushedimage", [](Control& c, const std::wstring& v) { c.SetStateImage(ControlState::kPushed, v); }},
      {L"disabledimage", [](Control& c, const std::wstring& v) { c.SetStateImage(ControlState::kDisabled, v); }},
      {L"forenormalimage", [](Control& c, const std::wstring& v) { c.SetForeStateImage(ControlState::kNormal, v); }},
      {L"forehotimage", [](Control& c, const std::wstring& v) { c.SetForeStateImage(ControlState::kHot, v); }},
      {L"forepushedimage", [](Control& c, const std::wstring& v) { c.SetForeStateImage(ControlState::kPushed, v); }},
      {L"foredisabledimage", [](Control& c, const std::wstring& v) { c.SetForeStateImage(ControlState::kDisabled, v); }},
      {L"fadehot", [](Control& c, const std::wstring& v) { c.SetFade(kFadeHot, ParseBool(v)); }},
      {L"fadealpha", [](Control& c, const std::wstring& v) { c.SetFade(kFadeAlpha, ParseBool(v)); }},
  };
  return table.Apply(*this, name, value);
}

void Control::SetClass(const std::wstring& class_names) {
  size_t pos = 0;
  while (pos <= class_names.size()) {
    size_t space = class_names.find(L' ', pos);
    if (space == std::wstring::npos) space = class_names.size();
    std::wstring name = class_names.substr(pos, space - pos);
    pos = space + 1;
    if (name.empty()) continue;
    std::wstring list = GlobalManager::GetClassAttributes(name);
    if (list.empty() && window_) list = window_->GetClassAttributes(name);
    if (!list.empty()) ApplyAttributeList(list);
  }
}

void Control::ApplyAttributeList(const std::wstring& list) {
  for (const auto& [name, value] : ParseAttributeList(list)) SetAttribute(name, value);
}

// --- Events -----------------------------------------------------------------

void Control::AttachEvent(EventType type, EventCallback callback) {
  events_[type].push_back(std::move(callback));
}

void Control::DetachEvent(EventType type) { events_.erase(type); }

void Control::AttachXmlEvent(EventType type, EventCallback callback) {
  xml_events_[type].push_back(std::move(callback));
}

void Control::AttachBubbledEvent(EventType type, EventCallback callback) {
  bubbled_events_[type].push_back(std::move(callback));
}

void Control::AttachXmlBubbledEvent(EventType type, EventCallback callback) {
  xml_bubbled_events_[type].push_back(std::move(callback));
}

void Control::SendEvent(EventType type, uintptr_t w_param, intptr_t l_param, wchar_t key,
                        UiPoint mouse, uint32_t modifiers) {
  EventArgs args;
  args.type = type;
  args.sender = this;
  args.timestamp = GetTickCountMs();
  args.mouse_point = (mouse == UiPoint{} && window_) ? window_->GetLastMousePoint() : mouse;
  args.key_code = key;
  args.w_param = w_param;
  args.l_param = l_param;
  args.modifiers = modifiers;
  HandleEvent(args);
}

bool Control::RunHandlers(EventMap& map, EventType type, const EventArgs& args,
                          const std::weak_ptr<vbase::WeakFlag>& alive,
                          const std::weak_ptr<vbase::WeakFlag>* sender_alive) {
  const EventType types[2] = {type, kEventAll};
  for (int i = 0; i < (type == kEventAll ? 1 : 2); ++i) {
    auto it = map.find(types[i]);
    if (it == map.end()) continue;
    // A copy: handlers may add or remove handlers, or destroy the control.
    std::vector<EventCallback> handlers = it->second;
    for (const EventCallback& handler : handlers) {
      bool go_on = handler(args);
      if (alive.expired() || (sender_alive && sender_alive->expired()) || !go_on) return false;
    }
  }
  return true;
}

void Control::HandleEvent(const EventArgs& args) {
  if (destroy_raised_) return;
  if (args.type <= kEventInternalKillFocus) {
    HandleEventInternal(args);
    return;
  }
  std::weak_ptr<vbase::WeakFlag> alive = GetWeakFlag();
  if (args.sender == this) {
    if (!RunHandlers(events_, args.type, args, alive)) return;
    if (!RunHandlers(xml_events_, args.type, args, alive)) return;
  }
  if (IsContainer()) {
    // A bubbled event ends with its sender too: later handlers would read it.
    std::weak_ptr<vbase::WeakFlag> sender_alive = args.sender ? args.sender->GetWeakFlag() : alive;
    if (!RunHandlers(bubbled_events_, args.type, args, alive, &sender_alive)) return;
    if (!RunHandlers(xml_bubbled_events_, args.type, args, alive, &sender_alive)) return;
  }
  HandleEventInternal(args);
}

void Control::BubbleToParent(const EventArgs& args) {
  if (parent_) parent_->HandleEvent(args);
}

void Control::HandleEventInternal(const EventArgs& args) {
  if (IsMouseEvent(args.type) && !mouse_enabled_) {
    BubbleToParent(args);
    return;
  }
  switch (args.type) {
    case kEventMouseButtonDown:
      ButtonDown(args);
      return;
    case kEventMouseButtonUp:
      ButtonUp(args);
      return;
    case kEventMouseEnter:
      MouseEnter(args);
      return;
    case kEventMouseLeave:
      MouseLeave(args);
      return;
    case kEventSetCursor:
      if (window_) window_->SetCursor(cursor_type_);
      return;
    case kEventInternalSetFocus:
    case kEventInternalKillFocus:
      Invalidate();
      return;
    case kEventInternalDoubleClick:
    case kEventInternalMenu:
    case kEventDestroy:
      return;
    default:
      BubbleToParent(args);
  }
}

bool Control::ButtonDown(const EventArgs& args) {
  (void)args;
  if (!enabled_) return false;
  SetState(ControlState::kPushed);
  return true;
}

bool Control::ButtonUp(const EventArgs& args) {
  if (window_ && window_->IsCaptured()) window_->ReleaseCapture();
  if (!enabled_) return false;
  if (rect_.Contains(args.mouse_point)) {
    SetState(ControlState::kHot);
    Activate();  // may destroy this control: nothing may follow
  } else {
    SetState(ControlState::kNormal);
  }
  return true;
}

bool Control::MouseEnter(const EventArgs& args) {
  (void)args;
  if (!enabled_) return false;
  if (state_ == ControlState::kNormal) SetState(ControlState::kHot);
  if (ControlAnimations* animations = GetAnimations()) animations->OnHotChanged(true);
  return true;
}

bool Control::MouseLeave(const EventArgs& args) {
  (void)args;
  if (!enabled_) return false;
  if (state_ == ControlState::kHot || state_ == ControlState::kPushed) {
    SetState(ControlState::kNormal);
  }
  if (animations_) animations_->OnHotChanged(false);  // never lit: nothing to fade back
  return true;
}

// --- State ------------------------------------------------------------------

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled && (enabled || state_ == ControlState::kDisabled)) return;
  enabled_ = enabled;
  SetState(enabled ? ControlState::kNormal : ControlState::kDisabled);
}

void Control::SetState(ControlState state) {
  if (state_ == state) return;
  state_ = state;
  Invalidate();
}

bool Control::IsFocused() const { return window_ && window_->GetFocus() == this; }

void Control::SetFocus() {
  if (no_focus_ || !window_) return;
  window_->SetFocus(this);
}

void Control::SetToolTipText(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 3, L"<n>") == 0) {
      out += L"\r\n";
      i += 3;
    } else {
      out += text[i++];
    }
  }
  tooltip_text_ = std::move(out);
}

std::wstring Control::GetToolTipText() const {
  return tooltip_text_.empty() ? GlobalManager::GetText(tooltip_text_id_) : tooltip_text_;
}

// --- Appearance -------------------------------------------------------------

void Control::SetBkColor(const std::wstring& name) {
  bk_color_ = name;
  Invalidate();
}

const std::wstring& Control::GetStateColor(ControlState state) const {
  return state_colors_[static_cast<int>(state)];
}

void Control::SetStateColor(ControlState state, const std::wstring& name) {
  state_colors_[static_cast<int>(state)] = name;
  Invalidate();
}

void Control::SetBorderColor(const std::wstring& name) {
  border_color_ = name;
  Invalidate();
}

void Control::SetBorderSize(const UiRect& sizes) {
  border_size_ = sizes;
  Invalidate();
}

void Control::SetBkImage(const std::wstring& descriptor) {
  bk_image_.SetDescriptor(descriptor);
  Arrange();
}

void Control::SetStateImage(ControlState state, const std::wstring& descriptor) {
  state_images_.Get(state).SetDescriptor(descriptor);
  Invalidate();
}

void Control::SetForeStateImage(ControlState state, const std::wstring& descriptor) {
  fore_state_images_.Get(state).SetDescriptor(descriptor);
  Invalidate();
}

void Control::SetAlpha(int alpha) {
  alpha_ = static_cast<uint8_t>(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha));
  Invalidate();
}

void Control::SetHotAlpha(int alpha) {
  hot_alpha_driven_ = true;
  hot_alpha_ = static_cast<uint8_t>(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha));
  Invalidate();
}

uint32_t Control::ResolveColor(const std::wstring& name) const {
  if (name.empty()) return 0;
  return window_ ? window_->GetTextColor(name) : GlobalManager::GetTextColor(name);
}

void Control::SetFade(FadeKind kind, bool on) {
  (kind == kFadeHot ? fade_hot_ : fade_alpha_) = on;
  if (kind == kFadeAlpha) SetAlpha(on ? 0 : 255);
  if (kind == kFadeHot && !on) hot_alpha_driven_ = false;
  animations_.reset();  // installed again, with the new switches, when needed
}

void Control::SetFadeVisible(bool visible) {
  if (ControlAnimations* animations = GetAnimations(); animations && animations->FadeVisible(visible)) {
    return;
  }
  SetVisible(visible);
}

ControlAnimations* Control::GetAnimations() {
  if (!animations_ && window_ && (fade_hot_ || fade_alpha_)) window_->InstallAnimations(*this);
  return animations_.get();
}

void Control::SetAnimations(std::unique_ptr<ControlAnimations> animations) {
  animations_ = std::move(animations);
}

void Control::OnNameChanged(const std::wstring& old_name) {
  if (window_) window_->OnControlRenamed(this, old_name);
}

// --- Painting ---------------------------------------------------------------

void Control::Paint(RenderContext& context, const UiRect& dirty) {
  if (!IsVisible() || alpha_ == 0) return;
  if (!rect_.Intersects(dirty)) return;
  const bool group = alpha_ < 255;
  if (group) context.PushAlpha(alpha_);
  const bool round = border_round_.cx > 0 && border_round_.cy > 0;
  if (round) context.PushRoundClip(rect_, border_round_);
  PaintBkColor(context);
  PaintBkImage(context);
  PaintStateColors(context);
  PaintStateImages(context);
  PaintText(context);
  PaintChildren(context, dirty);
  if (round) context.PopClip();
  PaintBorder(context);
  if (ShowsFocusRing() && window_ && window_->IsFocusVisible() && IsFocused()) {
    const int width = std::max(1, ScaleInt(kFocusRingWidth));
    context.DrawBorder(rect_, {width, width, width, width}, kFocusRingColor);
  }
  if (group) context.PopAlpha();
}

void Control::PaintBkColor(RenderContext& context) {
  uint32_t color = ResolveColor(bk_color_);
  if (color) context.FillRect(rect_, color);
}

void Control::PaintBkImage(RenderContext& context) { DrawImage(context, bk_image_); }

bool Control::IsHotFading() const {
  return hot_alpha_driven_ && (state_ == ControlState::kNormal || state_ == ControlState::kHot);
}

void Control::PaintStateColors(RenderContext& context) {
  // While the hot fade runs (either way) the hot colour lies over the normal
  // one with the fade's alpha.
  const bool fading = IsHotFading();
  const std::wstring* name = &state_colors_[static_cast<int>(fading ? ControlState::kNormal : state_)];
  if (name->empty()) name = &state_colors_[0];
  if (uint32_t color = ResolveColor(*name)) context.FillRect(rect_, color);
  if (!fading || hot_alpha_ == 0) return;
  uint32_t hot = ResolveColor(state_colors_[static_cast<int>(ControlState::kHot)]);
  if (!hot) return;
  uint32_t a = ((hot >> 24) * hot_alpha_) / 255;
  context.FillRect(rect_, (a << 24) | (hot & 0xFFFFFF));
}

void Control::PaintStateImages(RenderContext& context) {
  const bool fading = IsHotFading();
  for (StateImages* images : {&state_images_, &fore_state_images_}) {
    Image* image = fading ? &images->normal : &images->Get(state_);
    if (image->IsEmpty()) image = &images->normal;
    DrawImage(context, *image);
    if (fading && hot_alpha_ > 0) DrawImage(context, images->hot, hot_alpha_);
  }
}

void Control::PaintBorder(RenderContext& context) {
  uint32_t color = ResolveColor(border_color_);
  if (!color || border_size_.IsZero()) return;
  if (border_round_.cx > 0 && border_round_.cy > 0 && border_size_.left == border_size_.top &&
      border_size_.left == border_size_.right && border_size_.left == border_size_.bottom) {
    context.DrawRoundBorder(rect_, border_round_, border_size_.left, color);
  } else {
    context.DrawBorder(rect_, border_size_, color);
  }
}

bool Control::DrawImage(RenderContext& context, Image& image, uint8_t alpha) {
  if (image.IsEmpty()) return false;
  ImageInfo* info = image.Load(window_ ? window_->GetResourcePath() : std::wstring());
  if (!info) return false;
  const ImageAttribute& a = image.attribute();
  ImageDrawParams p;
  p.dest = rect_;
  if (a.has_dest) {
    p.dest = a.dest;
    p.dest.Offset(rect_.left, rect_.top);
  }
  if (a.has_source) p.source = a.source;
  p.corner = a.corner;
  p.alpha = static_cast<uint8_t>(a.fade * alpha / 255);
  p.xtiled = a.xtiled || a.full_xtiled;
  p.ytiled = a.ytiled || a.full_ytiled;
  context.DrawImage(*info, p);
  return true;
}

// --- Search and size --------------------------------------------------------

Control* Control::FindControl(const FindControlProc& proc, unsigned flags, UiPoint point) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !enabled_) return nullptr;
  if ((flags & kFindHitTest) && (!mouse_enabled_ || !rect_.Contains(point))) return nullptr;
  return proc(this) ? this : nullptr;
}

UiSize Control::EstimateSize(UiSize available) {
  const int fw = GetFixedWidth();
  const int fh = GetFixedHeight();
  if (fw != kSizeAuto && fh != kSizeAuto) return {fw, fh};
  if (!IsReEstimateSize()) return GetEstimateSizeCache();
  const ImageAttribute& bk = bk_image_.attribute();
  if (!bk_image_.IsEmpty() && bk.has_source && !bk.source.IsEmpty()) {
    UiSize s = ScaleSize({bk.source.Width(), bk.source.Height()});
    SetFixedWidth(s.cx);
    SetFixedHeight(s.cy);
    SetReEstimateSize(false);
    SetEstimateSizeCache(s);
    return s;
  }
  UiSize content = EstimateContentSize(available);
  UiSize size{fw == kSizeAuto ? content.cx : fw, fh == kSizeAuto ? content.cy : fh};
  SetReEstimateSize(false);
  SetEstimateSizeCache(size);
  return size;
}

UiSize Control::EstimateContentSize(UiSize available) {
  UiSize size;
  if (!bk_image_.IsEmpty()) {
    const ImageAttribute& bk = bk_image_.attribute();
    if (bk.has_source && !bk.source.IsEmpty()) {
      return ScaleSize({bk.source.Width(), bk.source.Height()});
    }
    if (ImageInfo* info = bk_image_.Load(window_ ? window_->GetResourcePath() : std::wstring())) {
      size = {info->width(), info->height()};
    }
  }
  UiSize text = EstimateText(available);
  return {std::max(size.cx, text.cx), std::max(size.cy, text.cy)};
}

}  // namespace ui
