// ui::Box: a container that owns its items and places them with its layout.
//
// Items added are owned by the box from then on. Removing an item destroys
// it when auto-destroy is on (the default); with delayed destroy on (the
// default) and a window, the item is detached and queued in the window, which
// destroys it on a later turn of the loop. Detaching clears the window's
// routing references into the item. UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "ui/controls/control.h"
#include "ui/controls/layout.h"

namespace ui {

class Box : public Control {
 public:
  // Takes ownership of `layout` (the plain layout when null).
  explicit Box(Layout* layout = nullptr);
  ~Box() override;

  std::wstring GetType() const override { return L"Box"; }
  bool IsContainer() const override { return true; }
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetWindow(Window* window, Box* parent) override;
  void SetPos(const UiRect& rect) override;
  void SetEnabled(bool enabled) override;
  UiSize EstimateSize(UiSize available) override;
  UiSize EstimateContentSize(UiSize available) override;
  Control* FindControl(const FindControlProc& proc, unsigned flags, UiPoint point) override;

  // --- Items --------------------------------------------------------------
  // Returns whether the box took `control` (null is refused).
  virtual bool Add(Control* control);
  virtual bool AddAt(Control* control, size_t index);
  virtual bool Remove(Control* control);
  bool RemoveAt(size_t index);
  virtual void RemoveAll();
  size_t GetCount() const { return items_.size(); }
  Control* GetItemAt(size_t index) const;
  int GetItemIndex(const Control* control) const;
  const std::vector<Control*>& GetItems() const { return items_; }

  void SetAutoDestroy(bool on) { auto_destroy_ = on; }
  bool IsAutoDestroy() const { return auto_destroy_; }
  void SetDelayedDestroy(bool on) { delayed_destroy_ = on; }
  bool IsDelayedDestroy() const { return delayed_destroy_; }
  void SetMouseChildEnabled(bool on) { mouse_child_enabled_ = on; }
  bool IsMouseChildEnabled() const { return mouse_child_enabled_; }

  // Drops `control` from the items without destroying it (a control that
  // is being destroyed while still listed).
  void ForgetItem(Control* control);

  // First descendant with this name (depth first, in item order).
  Control* FindSubControl(const std::wstring& name);

  Layout* GetLayout() const { return layout_.get(); }
  // Replaces the layout (the plain one when null).
  void SetLayout(Layout* layout);

 protected:
  void PaintChildren(RenderContext& context, const UiRect& dirty) override;
  // Arranges the items in `rect` less padding; returns what they take.
  virtual UiSize ArrangeItems(const UiRect& rect);
  // Detaches one item and destroys or queues it per the switches.
  void ReleaseItem(Control* control);
  // Items are re-indexed or re-arranged after the list changed.
  virtual void OnItemsChanged() {}
  // The item at `index` left the box (removed, or destroyed directly while
  // still listed): a selection keeps pointing at the item it named.
  virtual void OnItemRemoved(int index) { (void)index; }

  std::vector<Control*> items_;

 private:
  std::unique_ptr<Layout> layout_;
  bool auto_destroy_ = true;
  bool delayed_destroy_ = true;
  bool mouse_child_enabled_ = true;
};

}  // namespace ui
