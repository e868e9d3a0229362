#include "ui/controls/control_fades.h"

#include <gtest/gtest.h>

#include "tests/ui/animation/manual_timer_environment.h"
#include "ui/controls/box.h"
#include "ui/controls/control.h"
#include "ui/controls/window.h"

namespace ui {
namespace {

using testing::ManualTimerEnvironment;

class ControlFadesTest : public ::testing::Test {
 protected:
  ManualTimerEnvironment env_;
  TimerManager timers_{env_};
};

TEST_F(ControlFadesTest, HotFadeLightsUpOnEnterAndFadesBackAsLongAsItPlayed) {
  Control control;
  control.SetAttribute(L"fadehot", L"true");
  InstallControlFades(control, &timers_);
  ASSERT_NE(control.GetAnimations(), nullptr);
  control.GetAnimations()->OnHotChanged(false);  // leaving before ever entering starts nothing
  EXPECT_EQ(timers_.pending_count(), 0u);

  control.GetAnimations()->OnHotChanged(true);
  env_.AdvanceTo(100);
  EXPECT_GT(control.GetHotAlpha(), 100);
  EXPECT_LT(control.GetHotAlpha(), 255);
  control.GetAnimations()->OnHotChanged(false);
  env_.AdvanceTo(199);
  EXPECT_GT(control.GetHotAlpha(), 0);
  env_.AdvanceTo(216);
  EXPECT_EQ(control.GetHotAlpha(), 0);

  control.GetAnimations()->OnHotChanged(true);
  env_.AdvanceTo(1000);
  EXPECT_EQ(control.GetHotAlpha(), 255);
}

TEST_F(ControlFadesTest, AlphaFadeShowsAndHidesTheControlWhenItEnds) {
  Control control;
  control.SetAttribute(L"fadealpha", L"true");
  EXPECT_EQ(control.GetAlpha(), 0);
  InstallControlFades(control, &timers_);
  control.SetVisible(false);

  control.SetFadeVisible(true);
  EXPECT_TRUE(control.IsVisible());
  env_.AdvanceTo(300);
  EXPECT_EQ(control.GetAlpha(), 255);

  control.SetFadeVisible(false);
  env_.AdvanceTo(400);
  EXPECT_TRUE(control.IsVisible());  // still fading out
  EXPECT_GT(control.GetAlpha(), 0);
  env_.AdvanceTo(600);
  EXPECT_FALSE(control.IsVisible());
  EXPECT_EQ(control.GetAlpha(), 0);

  // Shown again half-way through a hide: it stays shown.
  control.SetFadeVisible(true);
  env_.AdvanceTo(700);
  control.SetFadeVisible(false);
  env_.AdvanceTo(720);
  control.SetFadeVisible(true);
  env_.AdvanceTo(2000);
  EXPECT_TRUE(control.IsVisible());
  EXPECT_EQ(control.GetAlpha(), 255);
}

TEST_F(ControlFadesTest, ControlsWithoutFadesOrWithoutTimersChangeAtOnce) {
  Control plain;
  plain.SetAttribute(L"fadehot", L"false");
  InstallControlFades(plain, &timers_);
  EXPECT_EQ(plain.GetAnimations(), nullptr);
  plain.SetFadeVisible(false);
  EXPECT_FALSE(plain.IsVisible());

  Control faded;
  faded.SetAttribute(L"fadealpha", L"true");
  InstallControlFades(faded, nullptr);
  EXPECT_EQ(faded.GetAnimations(), nullptr);
}

// The hot fade is on by default, and a control that joins the window later
// (a device row, a settings field) gets its players when first needed.
TEST_F(ControlFadesTest, LateControlsFadeThroughTheirWindowAndDestructionCancelsTimers) {
  Window window;
  window.SetAnimationInstaller([this](Control& c) { InstallControlFades(c, &timers_); });
  auto* root = new Box;
  window.AttachRoot(root);
  auto* inner = new Box;
  auto* button = new Control;
  inner->Add(button);
  root->Add(inner);
  ASSERT_NE(button->GetAnimations(), nullptr);
  button->GetAnimations()->OnHotChanged(true);
  env_.AdvanceTo(50);
  EXPECT_GT(button->GetHotAlpha(), 0);
  root->RemoveAll();  // queued for deletion: the players go with the controls
  window.DestroyQueuedControls();
  env_.AdvanceTo(1000);
  EXPECT_EQ(timers_.pending_count(), 0u);
}

}  // namespace
}  // namespace ui
