#include "platform/x11/clipboard.h"

#include <gtest/gtest.h>

#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::PumpUntil;

TEST(ClipboardTest, PastingWithoutAnOwnerFailsAndANewRequestCancelsTheOld) {
  SKIP_WITHOUT_DISPLAY();
  auto display = testing::OpenDisplay();
  ASSERT_NE(display, nullptr);
  {
    auto owner = testing::OpenDisplay();
    ASSERT_TRUE(owner->clipboard().SetText("gone soon"));
    int answered = 0;
    std::optional<std::string> first = "unset", second;
    display->clipboard().RequestText([&](std::optional<std::string> t) { ++answered; first = t; });
    display->clipboard().RequestText([&](std::optional<std::string> t) { ++answered; second = t; });
    EXPECT_EQ(first, std::nullopt);  // cancelled by the second request
    ASSERT_TRUE(PumpUntil({owner.get(), display.get()}, [&] { return answered == 2; }));
    EXPECT_EQ(second, "gone soon");
  }
  // The owning connection closed: with no clipboard manager the text is gone.
  bool done = false;
  std::optional<std::string> pasted = "unset";
  display->clipboard().RequestText([&](std::optional<std::string> t) {
    done = true;
    pasted = t;
  });
  ASSERT_TRUE(PumpUntil(*display, [&] { return done; }));
  EXPECT_EQ(pasted, std::nullopt);
}

}  // namespace
}  // namespace platform::x11
