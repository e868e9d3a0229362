// The headless core of a top-level window: the control tree and what every
// control of the tree shares.
//
// Owns the root box (and through it every control), the name map, the
// window-local class and colour tables, the window attributes read from the
// layout's root element, the dirty region, the queue of controls awaiting
// delayed destruction and the routing references (focus, hover, pressed,
// key-down). The native side is reached through WindowHost, which the X11
// host implements and attaches with SetHost.
//
// Threads: UI thread only. Shutdown: the destructor destroys the queued
// controls and then the root box (each control raising its destroy event);
// routing references never point to a detached or destroyed control.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/weak_callback.h"
#include "ui/core/event_args.h"
#include "ui/core/geometry.h"
#include "ui/core/window_host.h"
#include "ui/render/image_attribute.h"

namespace ui {

class Box;
class Control;
class RenderContext;

class Window : public virtual vbase::SupportWeakCallback {
 public:
  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // --- Native side -------------------------------------------------------
  void SetHost(WindowHost* host) { host_ = host; }
  WindowHost* GetHost() const { return host_; }

  // --- Control tree ------------------------------------------------------
  // Takes ownership of `root` (destroying a previous root) and attaches the
  // whole tree to this window.
  void AttachRoot(Box* root);
  Box* GetRoot() const { return root_; }
  // Detaches the root without destroying it; the caller owns it again.
  Box* DetachRoot();

  // Look-up by name in the window's name map.
  Control* FindControl(const std::wstring& name) const;
  // The top-most visible control that accepts the mouse at `point`.
  Control* FindControl(UiPoint point) const;

  // Called by controls as they join and leave the window (name map and
  // routing references). `control` leaves together with its descendants.
  void OnControlAttached(Control* control);
  void OnControlDetached(Control* control);
  void OnControlRenamed(Control* control, const std::wstring& old_name);

  // Gives the root the client rectangle (0, 0, size) inside the shadow
  // padding; the tree is arranged.
  void ArrangeRoot(UiSize size);
  // Re-arranges the tree at the current root rectangle when a control asked.
  void ArrangeIfNeeded();
  void NeedArrange() { need_arrange_ = true; }
  bool IsArrangeNeeded() const { return need_arrange_; }
  // The client size the window wants when its root sizes itself to its
  // content (auto width or height): the root's estimate clamped to the
  // min/max info, plus the shadow padding. The client size otherwise.
  UiSize EstimateRootSize(UiSize current) const;

  // Paints the dirty part of the window (everything when `dirty` is empty):
  // the shadow image in the shadow padding, then the tree, clipped to the
  // round corner when one is set.
  void Paint(RenderContext& context, const UiRect& dirty = {});

  // --- Drawn shadow ------------------------------------------------------
  // The margin around the root in which the shadow image is drawn. The host
  // decides it: the shadow corner while the window can show translucent
  // pixels, the shadow is attached and the window is not maximised; zero
  // otherwise. Changing it arranges the root again.
  void SetShadowPadding(const UiRect& padding);
  const UiRect& GetShadowPadding() const { return shadow_padding_; }
  // The margin outside the visible frame: the drawn shadow padding, or the
  // custom shadow of a window whose root draws its own shadow.
  UiRect GetFrameMargin() const;
  // The visible frame of a client area of `client` pixels.
  UiRect GetFrameRect(UiSize client) const;

  // --- Dirty region ------------------------------------------------------
  // The region is a few rectangles: one that touches or overlaps others
  // absorbs them, apart ones stay apart (two distant rows repaint as two
  // rows, not as everything between them); past kMaxDirtyRects it becomes
  // their bounding rectangle.
  static constexpr size_t kMaxDirtyRects = 8;
  void Invalidate(const UiRect& rect);
  // The bounding rectangle of the region.
  const UiRect& GetDirtyRect() const { return dirty_; }
  // Returns the bounding rectangle of the region and clears it.
  UiRect TakeDirtyRect();
  // Returns the region's rectangles (disjoint) and clears it.
  std::vector<UiRect> TakeDirtyRegion();

  // --- Delayed destruction -----------------------------------------------
  // Queues a detached control; the host is asked to destroy it later.
  void QueueControlForDelete(Control* control);
  void DestroyQueuedControls();
  size_t GetQueuedControlCount() const { return delete_later_.size(); }

  // --- Routing references ------------------------------------------------
  Control* GetFocus() const { return focus_; }
  // Moves the keyboard focus: kill-focus events to the old control, set-focus
  // events to the new one, which must belong to this window and be visible
  // and enabled (otherwise the focus stays empty).
  void SetFocus(Control* control);
  void KillFocus() { SetFocus(nullptr); }
  // Whether the focus is shown (a ring on buttons and check boxes): after
  // the keyboard moved it, not after a click.
  bool IsFocusVisible() const { return focus_visible_; }
  void SetFocusVisible(bool visible);
  Control* GetHoverControl() const { return hover_; }
  void SetHoverControl(Control* c) { hover_ = c; }
  Control* GetPressedControl() const { return pressed_; }
  void SetPressedControl(Control* c) { pressed_ = c; }
  Control* GetKeyDownControl() const { return key_down_; }
  void SetKeyDownControl(Control* c) { key_down_ = c; }
  UiPoint GetLastMousePoint() const { return last_mouse_point_; }
  void SetLastMousePoint(UiPoint p) { last_mouse_point_ = p; }

  // The input method's composition in progress (text not yet committed,
  // shown at the focus control's caret), empty while none runs. The router
  // keeps it and tells the focus control with kEventImeComposition.
  struct ImeComposition {
    std::wstring text;
    size_t caret = 0;  // insertion point inside `text`
  };
  const ImeComposition& GetImeComposition() const { return ime_composition_; }
  void SetImeComposition(ImeComposition composition) { ime_composition_ = std::move(composition); }
  // Whether the window takes input; a window under a modal window or dialog
  // does not. Windows without a native side always take it.
  virtual void SetInputEnabled(bool enabled) { (void)enabled; }
  // Controls moved under a pointer that stayed (a scroll, a re-sort): the
  // hover follows what is under the pointer now.
  virtual void RefreshHover() {}

  // Forwarded to the host when one is attached.
  void SetCursor(CursorType cursor);
  void SetCapture();
  void ReleaseCapture();
  bool IsCaptured() const;

  // --- Fades ----------------------------------------------------------------
  // How the window's controls get their fade players (the host sets it: it
  // owns the timers). Without one every fade is immediate.
  using AnimationInstaller = std::function<void(Control&)>;
  void SetAnimationInstaller(AnimationInstaller installer) { animation_installer_ = std::move(installer); }
  void InstallAnimations(Control& control) {
    if (animation_installer_) animation_installer_(control);
  }

  // --- Window-local resources --------------------------------------------
  void AddClass(const std::wstring& name, const std::wstring& attribute_list);
  // The window's own class (no global fall-back); empty when unknown.
  std::wstring GetClassAttributes(const std::wstring& name) const;
  void AddTextColor(const std::wstring& name, uint32_t argb);
  // The colour of a name: the window table first, then the global table;
  // 0 when unknown.
  uint32_t GetTextColor(const std::wstring& name) const;

  // Folder of the layout that built this window ("fleet_sync/"), used to
  // resolve the images its controls name.
  void SetResourcePath(const std::wstring& folder) { resource_path_ = folder; }
  const std::wstring& GetResourcePath() const { return resource_path_; }

  // --- Window attributes (root element of a window layout) ---------------
  // Returns false for names that are not window attributes.
  bool SetAttribute(const std::wstring& name, const std::wstring& value);

  UiSize GetInitSize() const { return init_size_; }
  void SetInitSize(UiSize size) { init_size_ = size; }
  UiSize GetMinInfo() const { return min_info_; }
  UiSize GetMaxInfo() const { return max_info_; }
  const UiRect& GetCaptionRect() const { return caption_rect_; }
  const UiRect& GetSizeBox() const { return size_box_; }
  UiSize GetRoundCorner() const { return round_corner_; }
  bool IsShadowAttached() const { return shadow_attached_; }
  const std::wstring& GetShadowImage() const { return shadow_image_; }
  const UiRect& GetShadowCorner() const { return shadow_corner_; }
  const UiRect& GetCustomShadow() const { return custom_shadow_; }
  // The fraction (0..1] of the work-area height the window starts with, or 0.
  double GetHeightPercent() const { return height_percent_; }
  // The language string that titles the native window, or empty.
  const std::wstring& GetTextId() const { return text_id_; }

 private:
  void RemoveFromNameMap(Control* control);
  void PaintShadow(RenderContext& context);
  void ClearReferencesInto(Control* subtree);

  WindowHost* host_ = nullptr;
  AnimationInstaller animation_installer_;
  Box* root_ = nullptr;
  std::map<std::wstring, Control*> names_;
  std::map<std::wstring, std::wstring> classes_;
  std::map<std::wstring, uint32_t> colors_;
  std::wstring resource_path_;
  std::vector<Control*> delete_later_;
  UiRect dirty_;
  std::vector<UiRect> dirty_rects_;
  UiSize client_size_;
  bool need_arrange_ = false;
  bool destroying_ = false;

  Control* focus_ = nullptr;
  bool focus_visible_ = false;
  Control* hover_ = nullptr;
  Control* pressed_ = nullptr;
  Control* key_down_ = nullptr;
  UiPoint last_mouse_point_;
  ImeComposition ime_composition_;

  UiSize init_size_;
  UiSize min_info_;
  UiSize max_info_;
  UiRect caption_rect_;
  UiRect size_box_;
  UiSize round_corner_;
  bool shadow_attached_ = true;
  std::wstring shadow_image_ = L"file='public/bk/bk_shadow.png' corner='30,30,30,30'";
  UiRect shadow_corner_{14, 14, 14, 14};
  UiRect shadow_padding_;
  Image shadow_;  // the picture of shadow_image_, loaded on first paint
  UiRect custom_shadow_;
  double height_percent_ = 0;
  std::wstring text_id_;
};

}  // namespace ui
