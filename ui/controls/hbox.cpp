#include "ui/controls/hbox.h"

#include "ui/layout/hlayout.h"

namespace ui {

HBox::HBox() : Box(new HLayout) {}

}  // namespace ui
