#include "ui/controls/vbox.h"

#include "ui/controls/vlayout.h"

namespace ui {

VBox::VBox() : Box(new VLayout) {}

}  // namespace ui
