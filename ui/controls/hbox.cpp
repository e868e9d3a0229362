#include "ui/controls/hbox.h"

#include "ui/controls/hlayout.h"

namespace ui {

HBox::HBox() : Box(new HLayout) {}

}  // namespace ui
