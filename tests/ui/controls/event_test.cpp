// Event dispatch and the built-in handling of buttons and check boxes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class EventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    window_.SetHost(&host_);
    root_ = new VBox;
    window_.AttachRoot(root_);
  }
  void TearDown() override { Shutdown(); }

  template <typename T>
  T* AddSized(T* control) {
    control->SetFixedHeight(40);
    root_->Add(control);
    window_.ArrangeRoot({200, 200});
    return control;
  }

  // A press and release as the input routing sends them: to the control,
  // with a point, the pointer captured in between.
  void Press(Control* c, UiPoint p) {
    host_.captured = true;
    c->SendEvent(kEventMouseButtonDown, 0, 0, 0, p);
  }
  void Click(Control* c, UiPoint p = {5, 5}) {
    Press(c, p);
    c->SendEvent(kEventMouseButtonUp, 0, 0, 0, p);
  }

  testing_support::FakeHost host_;
  Window window_;
  VBox* root_ = nullptr;
};

TEST_F(EventTest, HandlersRunOwnThenAllThenMarkupAndFalseStops) {
  auto* button = AddSized(new Button);
  std::vector<std::string> order;
  button->AttachXmlEvent(kEventClick, [&](const EventArgs&) { return order.push_back("xml"), true; });
  button->AttachEvent(kEventAll, [&](const EventArgs& e) {
    if (e.type == kEventClick) order.push_back("all");
    return true;
  });
  button->AttachEvent(kEventClick, [&](const EventArgs&) { return order.push_back("own1"), true; });
  button->AttachEvent(kEventClick, [&](const EventArgs&) { return order.push_back("own2"), true; });
  root_->AttachBubbledEvent(kEventClick, [&](const EventArgs& e) {
    EXPECT_EQ(e.sender, button);
    return order.push_back("bubbled"), true;
  });
  button->SendEvent(kEventClick);
  EXPECT_EQ(order, (std::vector<std::string>{"own1", "own2", "all", "xml", "bubbled"}));

  order.clear();
  button->AttachEvent(kEventClick, [&](const EventArgs&) { return order.push_back("stop"), false; });
  button->SendEvent(kEventClick);
  EXPECT_EQ(order, (std::vector<std::string>{"own1", "own2", "stop"}));
}

TEST_F(EventTest, KeyboardActivatesButtonsOnlyWhenKeyboardEnabled) {
  auto* button = AddSized(new Button);
  int clicks = 0;
  button->AttachClick([&](const EventArgs&) { return ++clicks, true; });
  button->SendEvent(kEventKeyDown, 0, 0, kKeySpace);
  button->SendEvent(kEventKeyDown, 0, 0, kKeyEnter);
  button->SendEvent(kEventKeyDown, 0, 0, L'a');
  EXPECT_EQ(clicks, 2);
  button->SetKeyboardEnabled(false);
  button->SendEvent(kEventKeyDown, 0, 0, kKeySpace);
  EXPECT_EQ(clicks, 2);
}

// A release handler that refuses, or a disabled button, stops the click.
TEST_F(EventTest, RefusedReleaseOrDisabledButtonDoesNotClick) {
  auto* button = AddSized(new Button);
  int clicks = 0;
  button->AttachClick([&](const EventArgs&) { return ++clicks, true; });
  bool refuse = true;
  button->AttachEvent(kEventMouseButtonUp, [&](const EventArgs&) { return !refuse; });
  Click(button, {10, 10});
  EXPECT_EQ(clicks, 0);
  refuse = false;
  button->SetEnabled(false);
  Click(button, {10, 10});
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(button->GetState(), ControlState::kDisabled);
}

TEST_F(EventTest, CheckBoxTogglesWithOneEventAndNoClick) {
  auto* box = AddSized(new CheckBox);
  int clicks = 0, selects = 0, unselects = 0;
  box->AttachClick([&](const EventArgs&) { return ++clicks, true; });
  box->AttachSelect([&](const EventArgs&) { return ++selects, true; });
  box->AttachUnSelect([&](const EventArgs&) { return ++unselects, true; });

  box->Selected(false, true);  // already clear: nothing
  EXPECT_EQ(selects + unselects, 0);

  Click(box);
  EXPECT_TRUE(box->IsSelected());
  EXPECT_EQ(selects, 1);
  Click(box);
  EXPECT_FALSE(box->IsSelected());
  EXPECT_EQ(unselects, 1);
  EXPECT_EQ(clicks, 0);

  box->Selected(true, false);  // silent
  EXPECT_EQ(selects, 1);
  box->SetAttribute(L"switchselect", L"");
  EXPECT_FALSE(box->IsSelected());
  EXPECT_EQ(unselects, 1);

  CheckBox loose;  // outside a window: no events
  loose.AttachSelect([&](const EventArgs&) { return ++selects, true; });
  loose.Selected(true, true);
  EXPECT_TRUE(loose.IsSelected());
  EXPECT_EQ(selects, 1);
}

TEST_F(EventTest, OptionsOfAGroupExcludeEachOther) {
  auto* a = AddSized(new Option);
  auto* b = AddSized(new Option);
  a->SetGroup(L"g");
  b->SetGroup(L"g");
  a->Selected(true, true);
  b->Activate();
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(b->IsSelected());
  b->Activate();  // stays selected
  EXPECT_TRUE(b->IsSelected());

  // An "unselect" handler that destroys another option of the group: that
  // one is left alone, and the activated one is selected.
  auto* c = AddSized(new Option);
  a->Selected(true, false);
  c->SetGroup(L"g");
  root_->SetDelayedDestroy(false);
  int b_unselects = 0;
  a->AttachEvent(kEventUnSelect, [&](const EventArgs&) { return root_->Remove(b), true; });
  b->AttachEvent(kEventUnSelect, [&](const EventArgs&) { return ++b_unselects, true; });
  c->Activate();
  EXPECT_EQ(root_->GetCount(), 2u);
  EXPECT_EQ(b_unselects, 0);
  EXPECT_TRUE(c->IsSelected());
  EXPECT_FALSE(a->IsSelected());
}

TEST_F(EventTest, MouseDisabledControlPassesMouseEventsToItsParent) {
  auto* row = new ButtonBox;
  row->SetFixedHeight(50);
  auto* child = new Control;
  child->SetMouseEnabled(false);
  row->Add(child);
  root_->Add(row);
  window_.ArrangeRoot({200, 200});
  int clicks = 0;
  row->AttachClick([&](const EventArgs&) { return ++clicks, true; });
  Press(child, {5, 5});
  EXPECT_EQ(row->GetState(), ControlState::kPushed);
  child->SendEvent(kEventMouseButtonUp, 0, 0, 0, {5, 5});
  EXPECT_EQ(clicks, 1);
  // The hit test skips the child and finds the row.
  EXPECT_EQ(window_.FindControl(UiPoint{5, 5}), row);
}

// Removed, deleted or taken down with its container: each control raises
// destroy once, while it is still intact.
TEST_F(EventTest, DestroyRunsOnceBeforeTeardown) {
  std::vector<std::wstring> seen;
  auto record = [&](const EventArgs& e) { return seen.push_back(static_cast<Label*>(e.sender)->GetText()), true; };
  auto* removed = AddSized(new Label);
  removed->SetText(L"removed");
  removed->AttachEvent(kEventDestroy, record);
  root_->SetDelayedDestroy(false);
  root_->Remove(removed);
  auto* deleted = new Label;
  deleted->SetText(L"行");
  deleted->AttachEvent(kEventDestroy, record);
  delete deleted;
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"removed", L"行"}));

  auto* inner = new VBox;
  for (int i = 0; i < 3; ++i) {
    auto* c = new Label;
    c->AttachEvent(kEventDestroy, record);
    inner->Add(c);
  }
  root_->Add(inner);
  root_->RemoveAll();
  EXPECT_EQ(seen.size(), 5u);
}

TEST_F(EventTest, HandlerThatDestroysItsControlEndsTheDispatch) {
  auto* button = AddSized(new Button);
  root_->SetDelayedDestroy(false);
  int later = 0, bubbled = 0;
  root_->AttachBubbledEvent(kEventClick, [&](const EventArgs&) { return ++bubbled, true; });
  button->AttachClick([&](const EventArgs&) {
    root_->Remove(button);  // destroys the button at once
    return true;
  });
  button->AttachClick([&](const EventArgs&) { return ++later, true; });
  Click(button);
  EXPECT_EQ(root_->GetCount(), 0u);
  EXPECT_EQ(later, 0);
  EXPECT_EQ(bubbled, 0);

  // A bubbled handler that destroys the sender ends the bubbling there.
  auto* other = AddSized(new Button);
  root_->AttachBubbledEvent(kEventClick, [&](const EventArgs& args) {
    if (args.sender == other) root_->Remove(other);
    return true;
  });
  int after_sender_gone = 0;
  root_->AttachBubbledEvent(kEventClick, [&](const EventArgs&) { return ++after_sender_gone, true; });
  Click(other);
  EXPECT_EQ(root_->GetCount(), 0u);
  EXPECT_EQ(after_sender_gone, 0);
}

TEST_F(EventTest, HandlerMayAttachHandlersWhileRunning) {
  auto* button = AddSized(new Button);
  int added_runs = 0;
  button->AttachClick([&](const EventArgs&) {
    button->AttachClick([&](const EventArgs&) { return ++added_runs, true; });
    return true;
  });
  button->SendEvent(kEventClick);
  EXPECT_EQ(added_runs, 0);  // the running list is a copy
  button->SendEvent(kEventClick);
  EXPECT_EQ(added_runs, 1);
}

}  // namespace
}  // namespace ui
