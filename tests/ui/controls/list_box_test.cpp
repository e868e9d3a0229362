// List selection, sorting, removal and scrolling.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/vbox.h"
#include "ui/core/key_codes.h"
#include "ui/controls/window.h"
#include "ui/controls/vlayout.h"
#include "ui/resources/global_manager.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    window_.SetHost(&host_);
    root_ = new VBox;
    list_ = new ListBox(new VLayout);
    list_->SetAttribute(L"vscrollbar", L"true");
    root_->Add(list_);
    window_.AttachRoot(root_);
  }
  void TearDown() override { Shutdown(); }

  ListContainerElement* AddRow(const std::wstring& name, int height = 30) {
    auto* row = new ListContainerElement;
    row->SetName(name);
    row->SetFixedHeight(height);
    list_->Add(row);
    return row;
  }
  ListContainerElement* Row(size_t i) {
    return dynamic_cast<ListContainerElement*>(list_->GetItemAt(i));
  }

  testing_support::FakeHost host_;
  Window window_;
  VBox* root_ = nullptr;
  ListBox* list_ = nullptr;
};

TEST_F(ListBoxTest, ActivatingARowSelectsItAndDeselectsThePrevious) {
  auto* a = AddRow(L"a");
  auto* b = AddRow(L"b");
  int list_selects = 0;
  list_->AttachSelect([&](const EventArgs& e) {
    EXPECT_EQ(e.sender, list_);
    ++list_selects;
    return true;
  });
  window_.ArrangeRoot({200, 300});
  a->Activate();
  EXPECT_EQ(list_->GetCurSel(), 0);
  b->Activate();
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(b->IsSelected());
  EXPECT_EQ(list_selects, 2);
  b->Activate();  // a row never clears itself
  EXPECT_TRUE(b->IsSelected());
  EXPECT_EQ(list_selects, 2);
}

TEST_F(ListBoxTest, SortReordersReindexesAndClearsTheSelection) {
  for (const wchar_t* name : {L"10.0.0.10", L"10.0.0.2", L"10.0.0.3", L"10.0.0.1"}) AddRow(name);
  window_.ArrangeRoot({200, 300});
  Row(2)->Activate();
  ASSERT_EQ(list_->GetCurSel(), 2);
  auto last_octet = [](Control* c) { return std::stoi(c->GetName().substr(c->GetName().rfind(L'.') + 1)); };
  list_->SortItems(
      [&](Control* a, Control* b, uintptr_t) { return last_octet(a) - last_octet(b); }, 0);
  const wchar_t* expected[] = {L"10.0.0.1", L"10.0.0.2", L"10.0.0.3", L"10.0.0.10"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Row(i)->GetName(), expected[i]);
    EXPECT_EQ(Row(i)->GetIndex(), static_cast<int>(i));
    EXPECT_FALSE(Row(i)->IsSelected());
    EXPECT_EQ(Row(i)->GetPos().top, static_cast<int>(i) * 30);  // laid out again
  }
  EXPECT_EQ(list_->GetCurSel(), -1);
}

TEST_F(ListBoxTest, SortIsStableAndSurvivesAnInconsistentComparator) {
  for (int i = 0; i < 40; ++i) AddRow(std::to_wstring(i));
  list_->SortItems([](Control*, Control*, uintptr_t) { return 0; }, 0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(Row(i)->GetName(), std::to_wstring(i));
  int flips = 0;
  list_->SortItems([&](Control*, Control*, uintptr_t) { return (++flips % 3) - 1; }, 0);
  EXPECT_EQ(list_->GetCount(), 40u);  // every row still there, once
}

TEST_F(ListBoxTest, RemoveAllQueuesRowsOrDestroysThemAtOnce) {
  int destroyed = 0;
  for (int i = 0; i < 3; ++i) {
    AddRow(L"r" + std::to_wstring(i))->AttachEvent(kEventDestroy, [&](const EventArgs&) {
      return ++destroyed, true;
    });
  }
  list_->RemoveAll();
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(window_.GetQueuedControlCount(), 3u);
  EXPECT_GE(host_.destroy_posts, 1);
  EXPECT_EQ(window_.FindControl(L"r0"), nullptr);
  window_.DestroyQueuedControls();
  EXPECT_EQ(destroyed, 3);

  list_->SetDelayedDestroy(false);
  AddRow(L"x")->AttachEvent(kEventDestroy, [&](const EventArgs&) { return ++destroyed, true; });
  list_->RemoveAll();
  EXPECT_EQ(destroyed, 4);
  EXPECT_EQ(window_.GetQueuedControlCount(), 0u);
}

TEST_F(ListBoxTest, ScrollUnitIsScaledAndWheelScrollsByIt) {
  GlobalManager::SetAdapted(true);
  GlobalManager::SetScale(150);
  list_->SetScrollUnit(20);
  EXPECT_EQ(list_->GetVerScrollUnit(), 30);
  for (int i = 0; i < 20; ++i) AddRow(std::to_wstring(i), 30);
  window_.ArrangeRoot({200, 300});  // 600 of content in 300
  EXPECT_EQ(list_->GetScrollRangeY(), 300);
  list_->SendEvent(kEventMouseScrollWheel, static_cast<uintptr_t>(-120));
  EXPECT_EQ(list_->GetScrollPosY(), 30);
  EXPECT_EQ(Row(0)->GetPos().top, -30);
  list_->SetScrollPosY(10000);
  EXPECT_EQ(list_->GetScrollPosY(), 300);
  list_->SendEvent(kEventMouseScrollWheel, 120 * 2);
  EXPECT_EQ(list_->GetScrollPosY(), 240);
}

// 250 rows of 30 in a 300 pixel list, as the device list of a big fleet.
TEST_F(ListBoxTest, TheBarIsPagedAndKeysScrollOrMoveTheSelection) {
  for (int i = 0; i < 250; ++i) AddRow(std::to_wstring(i), 30);
  window_.ArrangeRoot({200, 300});
  auto press = [&](EventType type, UiPoint point) {
    Control* target = type == kEventMouseButtonDown ? window_.FindControl(point) : list_;
    if (target) target->SendEvent(type, 0, 0, 0, point);
    return target;
  };
  auto key = [&](Control* focus, wchar_t code) { focus->SendEvent(kEventKeyDown, code, 0, code); };
  const UiRect thumb = list_->GetScrollThumbRect();
  ASSERT_FALSE(thumb.IsEmpty());
  EXPECT_EQ(thumb.right, 200);

  // The thin bar lies over the rows, yet it takes the press beside it too.
  EXPECT_EQ(press(kEventMouseButtonDown, {thumb.left - 3, 200}), list_);  // the track
  const int paged = list_->GetScrollPosY();
  EXPECT_GT(paged, 200);
  EXPECT_LE(paged, 300);
  press(kEventMouseButtonUp, {thumb.left - 3, 200});

  // The thumb dragged below the list, Home and End: the program's list of a
  // fleet, read by OCR.
  key(list_, kKeyHome);
  key(Row(0), kKeyPageDown);  // from a row, the key reaches its list
  EXPECT_GT(list_->GetScrollPosY(), 200);
  key(list_, kKeyUp);  // no selection yet: nothing to move
  EXPECT_EQ(list_->GetCurSel(), -1);
  key(list_, kKeyHome);
  list_->SelectItem(9, false, false);  // the last row in view
  key(list_, kKeyDown);
  EXPECT_EQ(list_->GetCurSel(), 10);
  EXPECT_EQ(Row(10)->GetPos().bottom, 300);  // brought into view
}

TEST_F(ListBoxTest, RemovingRowsKeepsIndicesAndSelectionConsistent) {
  AddRow(L"a");
  AddRow(L"b");
  AddRow(L"c");
  list_->SetDelayedDestroy(false);
  list_->SelectItem(2, false, false);
  list_->RemoveAt(0);
  EXPECT_EQ(list_->GetCurSel(), 1);
  EXPECT_EQ(Row(1)->GetName(), L"c");
  EXPECT_EQ(Row(1)->GetIndex(), 1);
  list_->Remove(Row(1));
  EXPECT_EQ(list_->GetCurSel(), -1);

  // A row destroyed directly, not through its list, moves the selection too.
  AddRow(L"d");
  list_->SelectItem(1, false, false);
  Control::Destroy(Row(0));
  EXPECT_EQ(list_->GetCurSel(), 0);
  EXPECT_EQ(Row(0)->GetName(), L"d");
  Control::Destroy(Row(0));
  EXPECT_EQ(list_->GetCurSel(), -1);
}

}  // namespace
}  // namespace ui
