// The settings rows: the value bindings, the picker click rule and what a
// field's end leaves behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "settings/path_field.h"
#include "settings/switch_field.h"
#include "settings/text_field.h"
#include "settings/var.h"
#include "tests/settings/stub_dialog.h"
#include "tests/ui/controls/fake_host.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace {

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Shutdown();
    ASSERT_TRUE(ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize()));
    ASSERT_TRUE(ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN"));
    window_ = std::make_unique<ui::Window>();
    window_->SetHost(&host_);
    root_ = new ui::VBox;
    root_->SetDelayedDestroy(false);
    window_->AttachRoot(root_);
  }
  void TearDown() override {
    window_.reset();
    ui::Shutdown();
    ui::ResourcePackage::Close();
  }

  template <typename T>
  T* AddField() {
    auto* field = new T;
    root_->Add(field);
    window_->ArrangeRoot({400, 300});
    return field;
  }

  static void Mouse(ui::Control* control, ui::EventType type, uint32_t timestamp,
                    bool inside = true) {
    ui::EventArgs args;
    args.type = type;
    args.sender = control;
    args.timestamp = timestamp;
    const ui::UiRect r = control->GetPos();
    args.mouse_point = inside ? ui::UiPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}
                              : ui::UiPoint{-100000, -100000};
    control->HandleEvent(args);
  }
  // `released_inside` false: the press was cancelled (focus loss, Escape,
  // closing), which the router sends as a release outside every control.
  static void Click(PathField* field, uint32_t down, uint32_t up, bool released_inside = true) {
    Mouse(field->input, ui::kEventMouseButtonDown, down);
    Mouse(field->input, ui::kEventMouseButtonUp, up, released_inside);
  }

  ui::testing_support::FakeHost host_;
  std::unique_ptr<ui::Window> window_;
  ui::VBox* root_ = nullptr;
};

TEST_F(FieldsTest, TextBindingShowsStoresOneLineEndsItsEchoAndIgnoresReadOnlyText) {
  Var<std::wstring> version;
  version.value = L"1.2.0";
  auto* field = AddField<TextField>();
  field->Bind(version);
  EXPECT_EQ(field->input->GetText(), L"1.2.0");

  int changes = 0;
  field->OnChange([&](TextField& changed) {
    EXPECT_EQ(&changed, field);
    ++changes;
  });
  field->input->InsertText(L"1");
  EXPECT_EQ(version.value, L"1.2.01");
  EXPECT_EQ(changes, 1);  // the listener's write-back raised nothing

  version.value = L"2.0.0";
  NotifyVar(version);
  EXPECT_EQ(field->input->GetText(), L"2.0.0");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(version.value, L"2.0.0");

  // One line: breaks typed, pasted or set by code never reach the value.
  field->input->SetText(L"");
  field->input->InsertText(L"qn");
  field->input->SendEvent(ui::kEventKeyDown, 0, 0, ui::kKeyEnter);
  field->input->InsertText(L"\r\nhmi\n");
  EXPECT_EQ(version.value, L"qnhmi");
  field->input->SetText(L"a\r\nb");
  EXPECT_EQ(version.value, L"ab");
  EXPECT_EQ(field->input->GetText(), L"ab");
  changes = 0;

  // A read-only input changes no value.
  field->input->SetReadOnly(true);
  field->input->SetText(L"changed by code");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(version.value, L"ab");
}

TEST_F(FieldsTest, SwitchTogglesNotifyOnceAndEqualStatesEndTheExchange) {
  Var<bool> force;
  force.value = true;
  auto* field = AddField<SwitchField>();
  field->Bind(force);
  EXPECT_TRUE(field->checkbox->IsSelected());

  int changes = 0;
  field->OnChange([&](SwitchField&) { ++changes; });
  field->checkbox->Activate();
  EXPECT_FALSE(force.value);
  EXPECT_EQ(changes, 1);

  NotifyVar(force);  // the state it already shows
  EXPECT_EQ(changes, 1);
  force.value = true;
  NotifyVar(force);
  EXPECT_TRUE(field->checkbox->IsSelected());
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(force.value);
}

TEST_F(FieldsTest, DestroyedFieldsLeaveTheirVarsUnwatched) {
  Var<std::wstring> text_value;
  Var<bool> switch_value;
  auto* text = AddField<TextField>();
  auto* toggle = AddField<SwitchField>();
  text->Bind(text_value);
  toggle->Bind(switch_value);
  ASSERT_TRUE(VarRegistry::IsWatched(&text_value));
  ASSERT_TRUE(VarRegistry::IsWatched(&switch_value));

  root_->Remove(text);
  delete toggle;  // a plain delete as well as the container's
  EXPECT_FALSE(VarRegistry::IsWatched(&text_value));
  EXPECT_FALSE(VarRegistry::IsWatched(&switch_value));
}

class PathFieldTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    ASSERT_TRUE(ui_.registered());
    field_ = AddField<PathField>();
    field_->filter = L"升级文件 (*.img)|*.img";
    field_->OnChange([this](PathField&) { ++changes_; });
  }

  // Waits until the field's picker has answered.
  void WaitForPicker() { ASSERT_TRUE(ui_.RunUntil([this] { return !field_->IsPicking(); })); }

  StubDialogs stubs_;
  UiLoop ui_;
  PathField* field_ = nullptr;
  int changes_ = 0;
};

TEST_F(PathFieldTest, OnlyAReleaseOnTheInputWithin200MsOpensThePicker) {
  EXPECT_EQ(field_->input->GetPromptText(), L"点击选择文件");
  stubs_.Install("zenity", "/srv/update.img\n", 0);
  Click(field_, 1000, 1201);
  EXPECT_FALSE(field_->IsPicking());
  Click(field_, 2000, 2010, false);
  EXPECT_FALSE(field_->IsPicking());
  ui_.RunFor(20);
  EXPECT_FALSE(stubs_.Ran());

  Click(field_, 0xFFFFFFF0u, 0xB8u);  // 200 ms across the tick counter's wrap
  EXPECT_TRUE(field_->IsPicking());
  WaitForPicker();
  EXPECT_EQ(stubs_.Arguments().at(1), "--attach=1");  // its filter: the settings window's test
}

TEST_F(PathFieldTest, CancelChangesNothingAndAChosenFolderBecomesTextAndTooltipOnce) {
  field_->input->SetText(L"/old.img");
  field_->input->SetToolTipText(L"/old.img");
  changes_ = 0;
  stubs_.Install("zenity", "", 1);
  Click(field_, 10, 20);
  WaitForPicker();
  EXPECT_EQ(field_->input->GetText(), L"/old.img");
  EXPECT_EQ(field_->input->GetToolTipText(), L"/old.img");
  EXPECT_EQ(changes_, 0);

  stubs_.Install("zenity", "/srv/升级/panels\n", 0);
  field_->folderMode = true;
  Click(field_, 1000, 1010);
  WaitForPicker();
  EXPECT_EQ(field_->input->GetText(), L"/srv/升级/panels");
  EXPECT_EQ(field_->input->GetToolTipText(), L"/srv/升级/panels");
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(stubs_.Arguments()[1], "--directory");
}

}  // namespace
