// The X11 host's translation of key symbols into the framework's key codes.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "ui/core/key_codes.h"
#include "ui/host/x11_window_host.h"

namespace ui {
namespace {

// Shift+Tab arrives as its own keysym; Unicode keysyms have no key code.
TEST(KeysymToKeyCodeTest, TabVariantsAndUnicodeKeysyms) {
  EXPECT_EQ(KeysymToKeyCode(XK_ISO_Left_Tab), kKeyTab);
  EXPECT_EQ(KeysymToKeyCode(XK_a), L'A');
  EXPECT_EQ(KeysymToKeyCode(0x1008BBE), 0);
}

}  // namespace
}  // namespace ui
