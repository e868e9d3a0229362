#include "platform/x11/clipboard.h"

#include <gtest/gtest.h>

#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::PumpUntil;

TEST(ClipboardTest, TextCopiedByOneConnectionIsPastedByAnother) {
  SKIP_WITHOUT_DISPLAY();
  auto owner = testing::OpenDisplay();
  auto reader = testing::OpenDisplay();
  ASSERT_NE(owner, nullptr);
  ASSERT_NE(reader, nullptr);

  ASSERT_TRUE(owner->clipboard().SetText("批量升级 192.168.1.10"));
  EXPECT_FALSE(reader->clipboard().owns());

  bool done = false;
  std::optional<std::string> pasted;
  reader->clipboard().RequestText([&](std::optional<std::string> text) {
    done = true;
    pasted = std::move(text);
  });
  EXPECT_FALSE(done);  // the answer comes through the event loop
  ASSERT_TRUE(PumpUntil({owner.get(), reader.get()}, [&] { return done; }));
  EXPECT_EQ(pasted, "批量升级 192.168.1.10");

  // The owner pastes its own text without a round trip.
  std::optional<std::string> own;
  owner->clipboard().RequestText([&](std::optional<std::string> text) { own = std::move(text); });
  EXPECT_EQ(own, "批量升级 192.168.1.10");

  // Taking the clipboard away tells the old owner.
  ASSERT_TRUE(reader->clipboard().SetText("new"));
  ASSERT_TRUE(PumpUntil({owner.get(), reader.get()}, [&] { return !owner->clipboard().owns(); }));
  done = false;
  owner->clipboard().RequestText([&](std::optional<std::string> text) {
    done = true;
    pasted = std::move(text);
  });
  ASSERT_TRUE(PumpUntil({owner.get(), reader.get()}, [&] { return done; }));
  EXPECT_EQ(pasted, "new");
}

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
