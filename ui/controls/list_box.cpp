#include "ui/controls/list_box.h"

#include "ui/controls/list_container_element.h"
#include "ui/core/key_codes.h"
#include "ui/controls/window.h"

namespace ui {

namespace {

// Merge sort: only ever compares two elements and writes within bounds, so a
// comparator that changes its mind cannot corrupt the list.
void MergeSort(std::vector<Control*>& items, const ListBox::CompareFunc& compare,
               uintptr_t context) {
  const size_t n = items.size();
  std::vector<Control*> buffer(n);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      size_t mid = std::min(lo + width, n);
      size_t hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        buffer[k++] = compare(items[j], items[i], context) < 0 ? items[j++] : items[i++];
      }
      while (i < mid) buffer[k++] = items[i++];
      while (j < hi) buffer[k++] = items[j++];
    }
    items.swap(buffer);
  }
}

}  // namespace

ListBox::ListBox(Layout* layout) : ScrollableBox(layout) {}

bool ListBox::AddAt(Control* control, size_t index) {
  if (!ScrollableBox::AddAt(control, index)) return false;
  if (auto* row = dynamic_cast<ListContainerElement*>(control)) row->SetOwner(this);
  if (cur_sel_ >= static_cast<int>(index)) ++cur_sel_;
  return true;
}

bool ListBox::Remove(Control* control) {
  if (GetItemIndex(control) < 0) return false;
  if (auto* row = dynamic_cast<ListContainerElement*>(control)) row->SetOwner(nullptr);
  return ScrollableBox::Remove(control);
}

void ListBox::OnItemRemoved(int index) {
  if (index == cur_sel_) cur_sel_ = -1;
  else if (index < cur_sel_) --cur_sel_;
}

void ListBox::RemoveAll() {
  cur_sel_ = -1;
  for (Control* item : items_) {
    if (auto* row = dynamic_cast<ListContainerElement*>(item)) row->SetOwner(nullptr);
  }
  ScrollableBox::RemoveAll();
}

void ListBox::OnItemsChanged() {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (auto* row = dynamic_cast<ListContainerElement*>(items_[i])) row->SetIndex(static_cast<int>(i));
  }
}

bool ListBox::SelectItem(int index, bool take_focus, bool trigger) {
  if (index == cur_sel_) return true;
  if (index < 0 || index >= static_cast<int>(GetCount())) return false;
  int old = cur_sel_;
  cur_sel_ = index;
  if (old >= 0) {
    if (auto* row = dynamic_cast<ListContainerElement*>(GetItemAt(old))) row->Selected(false, false);
  }
  Control* item = GetItemAt(index);
  if (auto* row = dynamic_cast<ListContainerElement*>(item)) row->Selected(true, false);
  if (take_focus) item->SetFocus();
  EnsureVisible(item->GetPos());
  if (trigger && window_) SendEvent(kEventSelect, static_cast<uintptr_t>(index), old);
  return true;
}

void ListBox::SortItems(const CompareFunc& compare, uintptr_t context) {
  if (!compare || items_.size() < 2) return;
  MergeSort(items_, compare, context);
  OnItemsChanged();
  for (Control* item : items_) {
    if (auto* row = dynamic_cast<ListContainerElement*>(item)) row->Selected(false, false);
  }
  cur_sel_ = -1;
  SetPos(GetPos());  // same scroll position, new order
  Invalidate();
  if (window_) window_->RefreshHover();
}

bool ListBox::OnScrollKey(wchar_t key) {
  if (key != kKeyUp && key != kKeyDown) return ScrollableBox::OnScrollKey(key);
  if (cur_sel_ >= 0) SelectItem(cur_sel_ + (key == kKeyUp ? -1 : 1), true, true);
  return true;
}

}  // namespace ui
