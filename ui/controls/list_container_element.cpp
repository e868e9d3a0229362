#include "ui/controls/list_container_element.h"

#include "ui/controls/list_owner.h"

namespace ui {

ListContainerElement::ListContainerElement() = default;

void ListContainerElement::Selected(bool selected, bool send_events) {
  if (selected == IsSelected()) return;
  std::weak_ptr<vbase::WeakFlag> alive = GetWeakFlag();
  OptionTemplate<Box>::Selected(selected, send_events);
  if (alive.expired()) return;
  if (selected && owner_) owner_->SelectItem(index_, false, send_events);
}

void ListContainerElement::Activate() {
  if (!IsActivatable()) return;
  Selected(true, true);
}

}  // namespace ui
