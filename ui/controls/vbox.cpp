#include "ui/controls/vbox.h"

#include "ui/layout/vlayout.h"

namespace ui {

VBox::VBox() : Box(new VLayout) {}

}  // namespace ui
