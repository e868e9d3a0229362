#include "base/weak_callback.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct Owner : vbase::SupportWeakCallback {};

}  // namespace

TEST(WeakCallback, DoesNothingOnceOwnerIsGoneOrItsFlagCancelled) {
  auto owner = std::make_unique<Owner>();
  int calls = 0;
  auto void_cb = owner->ToWeakCallback([&calls] { ++calls; });
  auto bool_cb = owner->ToWeakCallback([] { return true; });
  auto copy = void_cb;
  void_cb();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(bool_cb());
  owner.reset();
  EXPECT_TRUE(void_cb.expired());
  EXPECT_TRUE(copy.expired());
  copy();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(bool_cb());
  // A flag's cancel expires only the callbacks made before it.
  vbase::WeakCallbackFlag flag;
  auto before = flag.ToWeakCallback([&calls] { ++calls; });
  flag.Cancel();
  auto after = flag.ToWeakCallback([&calls] { calls += 10; });
  before();
  after();
  EXPECT_EQ(calls, 11);
}

// Tears down a member that fires a callback of its owner on the way out, as a
// child control notifying its parent does.
struct Notifier {
  std::function<void()> on_destroy;
  ~Notifier() {
    if (on_destroy) on_destroy();
  }
};

struct Form : vbase::SupportWeakCallback {
  explicit Form(bool cancel_first) : cancel_first(cancel_first) {}
  ~Form() override {
    if (cancel_first) CancelWeakCallbacks();
  }
  bool cancel_first;
  Notifier child;  // destroyed after ~Form's body, before the flag's own release
};

TEST(SupportWeakCallback, CancellingFirstInTheDestructorSilencesCallbacksDuringTeardown) {
  bool reached = false;
  {
    Form form(true);
    form.child.on_destroy = form.ToWeakCallback([&reached] { reached = true; });
  }
  EXPECT_FALSE(reached);
  {
    Form form(false);
    form.child.on_destroy = form.ToWeakCallback([&reached] { reached = true; });
  }
  EXPECT_TRUE(reached);  // without the cancel the half-destroyed owner is reached
}
