// Test support for the settings window under Xvfb: opened over a plain owner
// window with a private data folder and dialog stand-ins on PATH; its rows by
// place, clicks where no toast can be and its controls' pixels.
#pragma once

#include <memory>

#include "settings/path_field.h"
#include "settings/settings_form.h"
#include "settings/switch_field.h"
#include "settings/text_field.h"
#include "tests/app/gui_session.h"
#include "tests/app/temp_data_home.h"
#include "tests/settings/stub_dialog.h"
#include "tests/support/screen_text.h"

class SettingsWindowSession : public fleetsync_test::GuiSession {
 protected:
  void TearDown() override {
    if (form_ && !alive_.expired()) delete form_;
    GuiSession::TearDown();
  }

  // Opens the settings window over a new owner; its saves are counted.
  void Open() {
    OpenOwner();
    form_ = OpenSettingsForm(*owner_, [this](const ui::EventArgs& args) {
      ++saved_calls_;
      EXPECT_EQ(args.sender, form_->FindControl(L"btn_save"));
      return true;
    });
    ASSERT_NE(form_, nullptr);
    alive_ = form_->GetWeakFlag();
    ASSERT_TRUE(RunUntil([this] { return NativeWindowOf(form_->host())->mapped(); }));
    platform::x11::testing::DispatchEventsCausedSoFar(*display_, loop_);  // sized, placed, painted
    rows_ = dynamic_cast<ui::Box*>(form_->FindControl(L"box_form_adb"));
    ASSERT_NE(rows_, nullptr);
    ASSERT_EQ(rows_->GetCount(), 6u);
  }
  template <typename T>
  T* Row(size_t index) {
    return dynamic_cast<T*>(rows_->GetItemAt(index));
  }
  PathField* UpdateFileRow() { return Row<PathField>(0); }
  PathField* BootLogoRow() { return Row<PathField>(1); }
  TextField* ProjectRow() { return Row<TextField>(2); }
  TextField* VersionRow() { return Row<TextField>(3); }
  SwitchField* ForceRow() { return Row<SwitchField>(4); }
  ui::Control* SaveButton() { return form_->FindControl(L"btn_save"); }

  // Clicks near the left end of an input: a toast over the middle of the
  // window must not catch the click.
  bool ClickInput(ui::Control* input) {
    return Xdotool("mousemove " + ScreenPointOf(*form_, input, -input->GetPos().Width() / 2 + 12) +
                   " click 1");
  }
  // What the screen shows of a control, `inset` pixels in from each side.
  fleetsync_test::ScreenGrab GrabControl(ui::Control* control, int inset = 0) const {
    const platform::x11::Rect window = NativeWindowOf(form_->host())->bounds();
    const ui::UiRect r = control->GetPos();
    return fleetsync_test::GrabScreen(display_->xdisplay(),
                                      {window.x + r.left + inset, window.y + r.top + inset,
                                       r.Width() - 2 * inset, r.Height() - 2 * inset});
  }

  TempDataHome data_;
  StubDialogs stubs_;
  SettingsForm* form_ = nullptr;
  std::weak_ptr<vbase::WeakFlag> alive_;
  ui::Box* rows_ = nullptr;
  int saved_calls_ = 0;
};
