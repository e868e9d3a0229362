// ui::Control: a plain rectangle with background, border, state colours and
// images, tooltip and cursor, and the event tables through which the
// application hears about it. Also a spacer in layouts.
//
// Ownership: a control belongs to its container (the root to its window).
// Destroying a control raises its destroy event (57) once, while the whole
// object is still intact, then expires its weak callbacks; containers destroy
// their items through Control::Destroy. A class that adds members a destroy
// handler may read calls BeginDestroy() first in its destructor, so that a
// plain delete raises the event before those members go. A control destroyed
// while still listed by its container leaves the container's list.
// UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "ui/controls/animation_hooks.h"
#include "ui/controls/place_holder.h"
#include "ui/core/event_args.h"
#include "ui/core/window_host.h"
#include "ui/render/image_attribute.h"

namespace ui {

class RenderContext;

enum class ControlState { kNormal = 0, kHot = 1, kPushed = 2, kDisabled = 3 };

// Flags of the tree search (FindControl).
enum FindFlags : unsigned {
  kFindVisible = 0x01,   // skip invisible controls (and their subtrees)
  kFindEnabled = 0x02,   // skip disabled controls
  kFindHitTest = 0x04,   // only controls that accept the mouse at the point
  kFindTopFirst = 0x08,  // later (top-most) children first
  kFindMeFirst = 0x10,   // a container is offered before its items
};
using FindControlProc = std::function<bool(Control*)>;

class Control : public PlaceHolder {
 public:
  Control();
  ~Control() override;

  // Raises the destroy event, expires weak callbacks and deletes `control`.
  static void Destroy(Control* control);

  virtual std::wstring GetType() const { return L"Control"; }
  virtual bool IsContainer() const { return false; }

  // --- Attributes ---------------------------------------------------------
  // Sets one markup attribute; returns false for names this class and its
  // bases do not know (they are ignored).
  virtual bool SetAttribute(const std::wstring& name, const std::wstring& value);
  // Applies the attribute lists of the named classes in order: each name's
  // global class, or else the window's class of that name.
  void SetClass(const std::wstring& class_names);
  // Applies an attribute list (name="value" name="value").
  void ApplyAttributeList(const std::wstring& list);

  // --- Events -------------------------------------------------------------
  void AttachEvent(EventType type, EventCallback callback);
  void DetachEvent(EventType type);
  void AttachXmlEvent(EventType type, EventCallback callback);
  // Containers: events raised by descendants that reach this control.
  void AttachBubbledEvent(EventType type, EventCallback callback);
  void AttachXmlBubbledEvent(EventType type, EventCallback callback);
  // Shorthands for the events the application listens to.
  void AttachClick(EventCallback cb) { AttachEvent(kEventClick, std::move(cb)); }
  void AttachSelect(EventCallback cb) { AttachEvent(kEventSelect, std::move(cb)); }
  void AttachUnSelect(EventCallback cb) { AttachEvent(kEventUnSelect, std::move(cb)); }
  void AttachTextChange(EventCallback cb) { AttachEvent(kEventTextChange, std::move(cb)); }

  // Builds an event (current tick, window's last mouse point) with this
  // control as sender and dispatches it.
  void SendEvent(EventType type, uintptr_t w_param = 0, intptr_t l_param = 0,
                 wchar_t key = 0, UiPoint mouse = {}, uint32_t modifiers = 0);
  // Dispatch: handler tables, then the built-in handling. Events that are
  // not consumed travel to the parent.
  void HandleEvent(const EventArgs& args);

  // --- State --------------------------------------------------------------
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool IsMouseEnabled() const { return mouse_enabled_; }
  void SetMouseEnabled(bool v) { mouse_enabled_ = v; }
  bool IsKeyboardEnabled() const { return keyboard_enabled_; }
  void SetKeyboardEnabled(bool v) { keyboard_enabled_ = v; }
  bool IsNoFocus() const { return no_focus_; }
  void SetNoFocus(bool v) { no_focus_ = v; }
  bool IsTabStop() const { return tab_stop_; }
  ControlState GetState() const { return state_; }
  void SetState(ControlState state);
  bool IsFocused() const;
  // Asks the window for the keyboard focus (declined when marked nofocus).
  virtual void SetFocus();
  // Whether the built-in activation (click) may run.
  virtual bool IsActivatable() const { return enabled_ && IsVisible(); }
  // The built-in action of a click or the keyboard; plain controls have none.
  virtual void Activate() {}

  CursorType GetCursorType() const { return cursor_type_; }
  void SetCursorType(CursorType c) { cursor_type_ = c; }

  // Every "<n>" becomes a line break.
  void SetToolTipText(const std::wstring& text);
  void SetToolTipTextId(const std::wstring& id) { tooltip_text_id_ = id; }
  virtual std::wstring GetToolTipText() const;

  const std::wstring& GetDataId() const { return data_id_; }
  void SetDataId(const std::wstring& id) { data_id_ = id; }

  // --- Appearance ---------------------------------------------------------
  const std::wstring& GetBkColor() const { return bk_color_; }
  void SetBkColor(const std::wstring& color_name);
  const std::wstring& GetStateColor(ControlState state) const;
  void SetStateColor(ControlState state, const std::wstring& color_name);
  const std::wstring& GetBorderColor() const { return border_color_; }
  void SetBorderColor(const std::wstring& color_name);
  const UiRect& GetBorderSize() const { return border_size_; }
  void SetBorderSize(const UiRect& sizes);
  UiSize GetBorderRound() const { return border_round_; }
  void SetBkImage(const std::wstring& descriptor);
  const Image& GetBkImage() const { return bk_image_; }
  void SetStateImage(ControlState state, const std::wstring& descriptor);
  void SetForeStateImage(ControlState state, const std::wstring& descriptor);
  uint8_t GetAlpha() const { return alpha_; }
  void SetAlpha(int alpha);
  uint8_t GetHotAlpha() const { return hot_alpha_; }
  void SetHotAlpha(int alpha);

  // Resolves a colour name through the window (then the global table).
  uint32_t ResolveColor(const std::wstring& name) const;

  // --- Fades --------------------------------------------------------------
  // Fade switches; the animation players read them. The hot fade is on
  // unless markup said fadehot="false"; the alpha fade is off unless
  // fadealpha="true" (which starts the control transparent).
  enum FadeKind { kFadeHot, kFadeAlpha };
  bool HasFade(FadeKind kind) const { return kind == kFadeHot ? fade_hot_ : fade_alpha_; }
  void SetFade(FadeKind kind, bool on);
  // Shows or hides through the appearance fades; without animations
  // (or without appearance fades) the change is immediate.
  void SetFadeVisible(bool visible);
  void SetAnimations(std::unique_ptr<ControlAnimations> animations);
  // The control's players, installed through its window on first need, so
  // controls created after the window fade like the others. Null without
  // any fade or without a window that plays them.
  ControlAnimations* GetAnimations();

  // --- Painting -----------------------------------------------------------
  // Paints the control where it intersects `dirty`; invisible ones skip.
  virtual void Paint(RenderContext& context, const UiRect& dirty);

  // --- Search -------------------------------------------------------------
  virtual Control* FindControl(const FindControlProc& proc, unsigned flags, UiPoint point);

  // --- Size model -----------------------------------------------------------
  UiSize EstimateSize(UiSize available) override;
  UiSize EstimateContentSize(UiSize available) override;
  // Size of the control's text within `available`; nothing for plain controls.
  virtual UiSize EstimateText(UiSize available) {
    (void)available;
    return {0, 0};
  }

 protected:
  // Built-in handling of an event after the handler tables; derived classes
  // handle what they change and call the base for the rest.
  virtual void HandleEventInternal(const EventArgs& args);
  // Press and release logic.
  virtual bool ButtonDown(const EventArgs& args);
  virtual bool ButtonUp(const EventArgs& args);
  virtual bool MouseEnter(const EventArgs& args);
  virtual bool MouseLeave(const EventArgs& args);

  // Painting steps, in the order Paint runs them.
  virtual void PaintBkColor(RenderContext& context);
  virtual void PaintBkImage(RenderContext& context);
  virtual void PaintStateColors(RenderContext& context);
  virtual void PaintStateImages(RenderContext& context);
  virtual void PaintText(RenderContext& context) { (void)context; }
  virtual void PaintChildren(RenderContext& context, const UiRect& dirty) {
    (void)context;
    (void)dirty;
  }
  virtual void PaintBorder(RenderContext& context);
  // Controls the keyboard can activate show its focus with a ring.
  virtual bool ShowsFocusRing() const { return false; }
  // The hot fade drives the hot layer (hot alpha) rather than the state.
  bool IsHotFading() const;
  // Draws an image descriptor in the control's rectangle.
  bool DrawImage(RenderContext& context, Image& image, uint8_t alpha = 255);

  void OnNameChanged(const std::wstring& old_name) override;
  // Passes the event to the parent's dispatch.
  void BubbleToParent(const EventArgs& args);
  // Raises the destroy event (once) and expires weak callbacks.
  void BeginDestroy();

  struct StateImages {
    Image normal, hot, pushed, disabled;
    Image& Get(ControlState s);
  };

  StateImages state_images_;
  StateImages fore_state_images_;

 private:
  // False once a handler returned false or destroyed this control (or the
  // sender, when given).
  bool RunHandlers(EventMap& map, EventType type, const EventArgs& args,
                   const std::weak_ptr<vbase::WeakFlag>& alive,
                   const std::weak_ptr<vbase::WeakFlag>* sender_alive = nullptr);

  bool enabled_ = true;
  bool mouse_enabled_ = true;
  bool keyboard_enabled_ = true;
  bool no_focus_ = false;
  bool tab_stop_ = true;
  bool destroy_raised_ = false;
  bool hot_alpha_driven_ = false;  // a hot fade sets hot_alpha_
  ControlState state_ = ControlState::kNormal;
  CursorType cursor_type_ = CursorType::kArrow;
  std::wstring tooltip_text_;
  std::wstring tooltip_text_id_;
  std::wstring data_id_;

  std::wstring bk_color_;
  std::wstring state_colors_[4];
  std::wstring border_color_;
  UiRect border_size_;
  UiSize border_round_;
  Image bk_image_;
  uint8_t alpha_ = 255;
  uint8_t hot_alpha_ = 0;
  bool fade_hot_ = true;
  bool fade_alpha_ = false;

  std::unique_ptr<ControlAnimations> animations_;
  EventMap events_;
  EventMap xml_events_;
  EventMap bubbled_events_;
  EventMap xml_bubbled_events_;
};

}  // namespace ui
