// The headless text input: text changes, editing entry points and flags.
#include <gtest/gtest.h>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/vbox.h"
#include "ui/core/window.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    window_.SetHost(&host_);
    auto* root = new VBox;
    edit_ = new RichEdit;
    edit_->SetFixedHeight(25);
    root->Add(edit_);
    window_.AttachRoot(root);
    window_.ArrangeRoot({300, 100});
    edit_->AttachTextChange([this](const EventArgs&) { return ++changes_, true; });
  }
  void TearDown() override { Shutdown(); }

  testing_support::FakeHost host_;
  Window window_;
  RichEdit* edit_ = nullptr;
  int changes_ = 0;
};

TEST_F(RichEditTest, SettingTextRaisesOneChangePerChange) {
  edit_->SetText(L"a");
  edit_->SetText(L"a");
  edit_->SetText(L"b");
  edit_->SetText(L"");
  EXPECT_EQ(changes_, 3);
  EXPECT_EQ(edit_->GetText(), L"");
}

TEST_F(RichEditTest, ReadOnlyRefusesUserEditsButNotCode) {
  edit_->SetAttribute(L"readonly", L"true");
  EXPECT_TRUE(edit_->IsReadOnly());
  EXPECT_FALSE(edit_->InsertText(L"x"));
  edit_->SendEvent(kEventChar, 0, 0, L'y');
  EXPECT_EQ(changes_, 0);
  edit_->SetText(L"/path/from/picker");
  EXPECT_EQ(edit_->GetText(), L"/path/from/picker");
  EXPECT_EQ(changes_, 1);
  EXPECT_FALSE(edit_->DeleteBackward());
}

TEST_F(RichEditTest, EditingAtTheCaretAndOverTheSelection) {
  edit_->SetText(L"固件.img");
  edit_->MoveCaret(2, false);
  EXPECT_TRUE(edit_->InsertText(L"v2"));
  EXPECT_EQ(edit_->GetText(), L"固件v2.img");
  EXPECT_EQ(edit_->GetCaret(), 4u);
  EXPECT_TRUE(edit_->DeleteBackward());
  EXPECT_EQ(edit_->GetText(), L"固件v.img");
  edit_->MoveCaret(0, false);
  EXPECT_TRUE(edit_->DeleteForward());
  EXPECT_EQ(edit_->GetText(), L"件v.img");
  EXPECT_FALSE(edit_->DeleteBackward());  // at the start
  edit_->SelectAll();
  EXPECT_EQ(edit_->GetSelectedText(), L"件v.img");
  edit_->InsertText(L"new");
  EXPECT_EQ(edit_->GetText(), L"new");
  edit_->SetSel(1, 3);
  EXPECT_EQ(edit_->GetSelectedText(), L"ew");
  EXPECT_TRUE(edit_->DeleteForward());
  EXPECT_EQ(edit_->GetText(), L"n");
}

TEST_F(RichEditTest, SingleLineNumberAndMaxCharFilterInput) {
  edit_->InsertText(L"a\r\nb");
  EXPECT_EQ(edit_->GetText(), L"ab");
  edit_->SetAttribute(L"multiline", L"true");
  edit_->InsertText(L"\n");
  EXPECT_EQ(edit_->GetText(), L"ab\n");

  edit_->SetText(L"");
  edit_->SetAttribute(L"number", L"true");
  edit_->SetAttribute(L"maxchar", L"4");
  edit_->InsertText(L"1a2b3c4d5");
  EXPECT_EQ(edit_->GetText(), L"1234");
  EXPECT_FALSE(edit_->InsertText(L"6"));
}

TEST_F(RichEditTest, KeyboardEventsDriveTheEditingEntryPoints) {
  edit_->SendEvent(kEventChar, 0, 0, L'h');
  edit_->SendEvent(kEventChar, 0, 0, L'i');
  edit_->SendEvent(kEventChar, 0, 0, L'\t');  // not wanted: ignored
  EXPECT_EQ(edit_->GetText(), L"hi");
  edit_->SendEvent(kEventKeyDown, 0, 0, kKeyLeft);
  edit_->SendEvent(kEventKeyDown, 0, 0, kKeyBack);
  EXPECT_EQ(edit_->GetText(), L"i");
  edit_->SendEvent(kEventKeyDown, 0, 0, kKeyEnd);
  edit_->SendEvent(kEventChar, 0, 0, L'!');
  EXPECT_EQ(edit_->GetText(), L"i!");

  int returns = 0;
  edit_->AttachEvent(kEventReturn, [&](const EventArgs&) { return ++returns, true; });
  edit_->SetAttribute(L"wantreturnmsg", L"true");
  edit_->SendEvent(kEventKeyDown, 0, 0, kKeyEnter);
  EXPECT_EQ(returns, 1);
  EXPECT_EQ(edit_->GetText(), L"i!");
}

TEST_F(RichEditTest, ClickTakesFocusAndPlacesTheCaret) {
  edit_->SetText(L"abcdefgh");
  EventArgs press;
  press.type = kEventMouseButtonDown;
  press.sender = edit_;
  press.mouse_point = {0, 10};
  edit_->HandleEvent(press);
  EXPECT_EQ(window_.GetFocus(), edit_);
  EXPECT_EQ(edit_->GetCaret(), 0u);
  EXPECT_EQ(edit_->HitTestCaret({299, 10}), 8u);
  size_t middle = edit_->HitTestCaret({20, 10});
  EXPECT_GT(middle, 0u);
  EXPECT_LT(middle, 8u);
}

}  // namespace
}  // namespace ui
