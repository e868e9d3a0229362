// Routing of pointer, keyboard and focus events to the controls of a window,
// driven with the framework's window events (no window system).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/box.h"
#include "ui/controls/button.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/window.h"
#include "ui/controls/scrollable_box.h"
#include "ui/window/input_router.h"
#include "ui/markup/layout_builder.h"

namespace ui {
namespace {

using NativeEvent = WindowEventType;

constexpr wchar_t kMarkup[] = LR"(<Window><VBox>
  <Button name="a" height="30" tooltiptext="first"/>
  <Button name="b" height="30"/>
  <Button name="quiet" height="30" nofocus="true"/>
  <RichEdit name="edit" height="30" multiline="false"/>
  <RichEdit name="tabby" height="30" multiline="false" wanttab="true"/>
  <Control name="space" height="30"/>
  <VListBox name="list" vscrollbar="true" height="60">
    <ListContainerElement name="r1" height="40"/><ListContainerElement name="r2" height="40"/>
  </VListBox>
</VBox></Window>)";

// Row centres of the layout above (each row is 30 pixels high).
constexpr int kRowA = 15, kRowB = 45, kRowQuiet = 75, kRowEdit = 105;

class FakeDelegate : public InputRouterDelegate {
 public:
  void StartHoverTimer() override { ++hover_starts; }
  void StopHoverTimer() override { ++hover_stops; }

  int hover_starts = 0;
  int hover_stops = 0;
};

class InputRouterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.router = &router_;
    window_.SetHost(&host_);
    root_ = dynamic_cast<Box*>(LayoutBuilder::Create(kMarkup, {}, &window_));
    ASSERT_NE(root_, nullptr);
    window_.AttachRoot(root_);
    window_.ArrangeRoot({400, 300});
    for (const wchar_t* name : {L"a", L"b", L"quiet", L"edit", L"tabby", L"space", L"r1", L"r2"}) {
      Control* c = window_.FindControl(name);
      ASSERT_NE(c, nullptr) << Utf(name);
      Record(c);
    }
  }
  void TearDown() override { window_.SetHost(nullptr); }

  static std::string Utf(const std::wstring& w) { return std::string(w.begin(), w.end()); }

  void Record(Control* c) {
    const std::pair<EventType, const char*> names[] = {
        {kEventMouseEnter, "enter"},   {kEventMouseLeave, "leave"},
        {kEventMouseButtonDown, "down"}, {kEventMouseButtonUp, "up"},
        {kEventClick, "click"},        {kEventMouseDoubleClick, "dblclick"},
        {kEventMouseRightButtonDown, "rdown"}, {kEventMouseRightButtonUp, "rup"},
        {kEventMouseScrollWheel, "wheel"}, {kEventMouseHover, "hover"},
        {kEventKeyDown, "keydown"},    {kEventKeyUp, "keyup"},
        {kEventSetFocus, "setfocus"},  {kEventKillFocus, "killfocus"},
        {kEventTextChange, "change"},
    };
    for (const auto& [type, label] : names) {
      const std::string entry = Utf(c->GetName()) + ":" + label;
      c->AttachEvent(type, [this, entry](const EventArgs&) {
        log_.push_back(entry);
        return true;
      });
    }
    c->AttachEvent(kEventMouseMove, [this, c](const EventArgs&) {
      moves_.push_back(Utf(c->GetName()));
      return true;
    });
  }

  Control* Named(const wchar_t* name) { return window_.FindControl(name); }
  RichEdit* Edit(const wchar_t* name = L"edit") { return dynamic_cast<RichEdit*>(Named(name)); }

  void Move(int y, int x = 50) {
    WindowEvent e;
    e.type = NativeEvent::kMotion;
    e.point = {x, y};
    router_.Route(e);
  }
  void Button(NativeEvent type, int y, MouseButton button = MouseButton::kLeft, bool dbl = false) {
    WindowEvent e;
    e.type = type;
    e.point = {50, y};
    e.button = button;
    e.double_click = dbl;
    router_.Route(e);
  }
  void Click(int y) {
    Button(NativeEvent::kButtonPress, y);
    Button(NativeEvent::kButtonRelease, y);
  }
  void Key(wchar_t key, uint32_t modifiers = 0, std::string text = {}) {
    WindowEvent e;
    e.type = NativeEvent::kKeyPress;
    e.key_code = key;
    e.modifiers = modifiers;
    e.text = std::move(text);
    router_.Route(e);
    e.type = NativeEvent::kKeyRelease;
    e.text.clear();
    router_.Route(e);
  }
  bool Logged(const std::string& entry) const {
    return std::find(log_.begin(), log_.end(), entry) != log_.end();
  }

  // Forwards the tree's hover refresh to the router, as the window base does.
  struct RoutedWindow : Window {
    InputRouter* router = nullptr;
    void RefreshHover() override { router->RefreshHover(); }
  };

  testing_support::FakeHost host_;
  FakeDelegate delegate_;
  RoutedWindow window_;
  InputRouter router_{window_, delegate_};
  Box* root_ = nullptr;
  std::vector<std::string> log_;
  std::vector<std::string> moves_;
};

// (Leaving the window clears the hover: the gallery's real window.)
TEST_F(InputRouterTest, HoverMovesLeaveTheOldControlBeforeEnteringTheNew) {
  Move(kRowA);
  Move(kRowA + 1);
  Move(kRowB);
  EXPECT_EQ(log_, (std::vector<std::string>{"a:enter", "a:leave", "b:enter"}));
  EXPECT_EQ(window_.GetHoverControl(), Named(L"b"));
  EXPECT_EQ(moves_, (std::vector<std::string>{"a", "a", "b"}));
  EXPECT_GE(delegate_.hover_starts, 3);  // every move restarts the hover time
  router_.OnHoverTime();
  EXPECT_EQ(log_.back(), "b:hover");
}

// A list that scrolls under a pointer that stays: the row now under it is
// hot, the one that moved away is not.
TEST_F(InputRouterTest, ScrollingUnderAStillPointerMovesTheHover) {
  const int y = Named(L"r1")->GetPos().top + 20;
  Move(y);
  ASSERT_EQ(window_.GetHoverControl(), Named(L"r1"));
  log_.clear();
  dynamic_cast<ScrollableBox*>(Named(L"list"))->SetScrollPosY(40);
  EXPECT_EQ(log_, (std::vector<std::string>{"r1:leave", "r2:enter"}));
  EXPECT_EQ(Named(L"r1")->GetState(), ControlState::kNormal);
}

// Only the controls whose hot state changed are repainted, not what lies
// between them.
TEST_F(InputRouterTest, HoverRepaintsOnlyTheControlsItChanges) {
  Move(kRowA);
  window_.TakeDirtyRegion();
  Move(kRowQuiet);
  EXPECT_EQ(window_.TakeDirtyRegion(),
            (std::vector<UiRect>{Named(L"a")->GetPos(), Named(L"quiet")->GetPos()}));
  Move(kRowQuiet + 1);
  EXPECT_TRUE(window_.TakeDirtyRegion().empty());
}

TEST_F(InputRouterTest, PressMoveOffAndReleaseGivesNoClick) {
  Move(kRowA);
  Button(NativeEvent::kButtonPress, kRowA);
  EXPECT_TRUE(host_.captured);
  EXPECT_EQ(window_.GetPressedControl(), Named(L"a"));
  EXPECT_EQ(window_.GetFocus(), Named(L"a"));
  Move(kRowB);  // the pressed control keeps the pointer
  log_.clear();
  Button(NativeEvent::kButtonRelease, kRowB);
  // No click; after the release the control under the pointer is hovered,
  // after the old one left.
  EXPECT_EQ(log_, (std::vector<std::string>{"a:up", "a:leave", "b:enter"}));
  EXPECT_EQ(moves_, (std::vector<std::string>{"a", "a"}));
  EXPECT_FALSE(host_.captured);
  EXPECT_EQ(window_.GetPressedControl(), nullptr);
  EXPECT_EQ(window_.GetHoverControl(), Named(L"b"));

  log_.clear();
  Click(kRowB);
  EXPECT_EQ(log_, (std::vector<std::string>{"a:killfocus", "b:setfocus", "b:down", "b:up",
                                            "b:click"}));
}

// The right button pressed and released while the left is held changes
// nothing: the left release clicks the control the left press was on.
TEST_F(InputRouterTest, AnotherButtonDuringAPressBelongsToNoPress) {
  Button(NativeEvent::kButtonPress, kRowA);
  Button(NativeEvent::kButtonPress, kRowB, MouseButton::kRight);
  Button(NativeEvent::kButtonRelease, kRowB, MouseButton::kRight);
  EXPECT_EQ(window_.GetPressedControl(), Named(L"a"));
  Button(NativeEvent::kButtonRelease, kRowA);
  EXPECT_TRUE(Logged("a:click"));
  EXPECT_FALSE(Logged("b:rdown"));
  EXPECT_FALSE(Logged("a:rup"));
}

TEST_F(InputRouterTest, DoubleRightAndWheelEvents) {
  Button(NativeEvent::kButtonPress, kRowA, MouseButton::kLeft, true);
  Button(NativeEvent::kButtonRelease, kRowA);
  EXPECT_TRUE(Logged("a:dblclick"));
  EXPECT_FALSE(Logged("a:down"));
  EXPECT_FALSE(Logged("a:setfocus"));  // a double click does not move the focus

  log_.clear();
  Button(NativeEvent::kButtonPress, kRowB, MouseButton::kRight);
  Button(NativeEvent::kButtonRelease, kRowB, MouseButton::kRight);
  // No click; the hover follows the pointer once the button is up.
  EXPECT_EQ(log_, (std::vector<std::string>{"b:rdown", "b:rup", "a:leave", "b:enter"}));
  EXPECT_EQ(window_.GetPressedControl(), nullptr);

  log_.clear();
  int delta = 0;
  Named(L"b")->AttachEvent(kEventMouseScrollWheel, [&](const EventArgs& args) {
    delta = static_cast<int>(args.w_param);
    return true;
  });
  WindowEvent wheel;
  wheel.type = NativeEvent::kWheel;
  wheel.point = {50, kRowB};
  wheel.wheel_delta = -120;
  router_.Route(wheel);
  EXPECT_EQ(log_, (std::vector<std::string>{"b:wheel"}));
  EXPECT_EQ(delta, -120);
}

// A rich edit that wants tabs keeps the focus and gets the character; from
// anywhere else Tab moves on, past controls that take no focus (a click on
// one leaves the focus where it was).
TEST_F(InputRouterTest, TabStaysInARichEditThatWantsIt) {
  Click(kRowB);
  Click(kRowQuiet);
  EXPECT_TRUE(Logged("quiet:click"));
  EXPECT_EQ(window_.GetFocus(), Named(L"b"));
  Key(kKeyTab);  // past "quiet" (nofocus)
  EXPECT_EQ(window_.GetFocus(), Named(L"edit"));
  Key(kKeyTab, 0, "\t");
  EXPECT_EQ(window_.GetFocus(), Named(L"tabby"));
  EXPECT_EQ(Edit()->GetText(), L"");
  Key(kKeyTab, 0, "\t");
  EXPECT_EQ(window_.GetFocus(), Named(L"tabby"));
  EXPECT_EQ(Edit(L"tabby")->GetText(), L"\t");
}

TEST_F(InputRouterTest, KeyUpGoesToTheControlThatGotTheKeyDown) {
  Click(kRowA);
  WindowEvent e;
  e.type = NativeEvent::kKeyPress;
  e.key_code = L'X';
  router_.Route(e);
  Named(L"b")->SetFocus();
  e.type = NativeEvent::kKeyRelease;
  router_.Route(e);
  EXPECT_TRUE(Logged("a:keydown"));
  EXPECT_TRUE(Logged("a:keyup"));
  EXPECT_FALSE(Logged("b:keyup"));
  EXPECT_EQ(window_.GetKeyDownControl(), nullptr);
}

// The router only translates: key codes with their modifiers, one "char"
// per typed character (none for commands or control characters), and the
// input method's composition; what the keys do is the rich edit's business.
TEST_F(InputRouterTest, KeysBecomeKeyDownAndCharEventsAndCompositionsReachTheFocus) {
  Click(kRowEdit);
  std::vector<std::string> seen;
  Edit()->AttachEvent(kEventAll, [&](const EventArgs& args) {
    if (args.type == kEventKeyDown || args.type == kEventChar ||
        (args.type >= kEventImeComposition && args.type <= kEventImeEndComposition)) {
      seen.push_back(std::to_string(args.type) + ":" + std::to_string(args.key_code) + ":" +
                     std::to_string(args.modifiers));
    }
    return true;
  });
  Key(0, 0, "设备");  // what an input method commits: text, no key
  Key(kKeyEnter, 0, "\r");
  Key(L'A', kModifierControl | kModifierShift, "\x01");
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "10:35774:0", "10:22791:0",  // 设, 备
                      "8:13:0",
                      "8:65:3"}));  // Ctrl+Shift+A
  EXPECT_EQ(Edit()->GetText(), L"设备");

  seen.clear();
  WindowEvent e;
  e.type = NativeEvent::kCompositionStart;
  router_.Route(e);
  e.type = NativeEvent::kComposition;
  e.text = "ni";
  e.composition_caret = 2;
  router_.Route(e);
  EXPECT_EQ(window_.GetImeComposition().text, L"ni");
  EXPECT_EQ(window_.GetImeComposition().caret, 2u);
  e.type = NativeEvent::kCompositionEnd;
  router_.Route(e);
  EXPECT_EQ(window_.GetImeComposition().text, L"");
  EXPECT_EQ(seen, (std::vector<std::string>{"50:0:0", "49:0:0", "51:0:0"}));
}

// Losing the focus or closing while a button is held must not click it,
// even with the pointer still over the button.
TEST_F(InputRouterTest, CancelsNeverClick) {
  Move(kRowA);
  Button(NativeEvent::kButtonPress, kRowA);
  WindowEvent focus_out;
  focus_out.type = NativeEvent::kFocusOut;
  router_.Route(focus_out);
  EXPECT_TRUE(Logged("a:up"));
  EXPECT_FALSE(Logged("a:click"));
  EXPECT_EQ(window_.GetPressedControl(), nullptr);
  EXPECT_FALSE(host_.captured);
  Button(NativeEvent::kButtonRelease, kRowA);  // the late release does nothing
  EXPECT_FALSE(Logged("a:click"));

  log_.clear();
  Button(NativeEvent::kButtonPress, kRowA);
  router_.OnWindowClosing();
  EXPECT_EQ(log_, (std::vector<std::string>{"a:down", "a:leave", "a:up", "a:killfocus"}));
  EXPECT_EQ(window_.GetFocus(), nullptr);
  EXPECT_EQ(window_.GetHoverControl(), nullptr);
  EXPECT_EQ(window_.GetPressedControl(), nullptr);
  EXPECT_GT(delegate_.hover_stops, 0);
}

// A click handler that destroys its own button (the row delete button does).
TEST_F(InputRouterTest, ClickHandlerMayDestroyItsControl) {
  Control* a = Named(L"a");
  a->AttachClick([this, a](const EventArgs&) {
    root_->Remove(a);
    return false;
  });
  Move(kRowA);
  Click(kRowA);
  EXPECT_EQ(Named(L"a"), nullptr);
  window_.ArrangeIfNeeded();
  Move(kRowA);  // "b" moved up into the freed row
  EXPECT_EQ(window_.GetHoverControl(), Named(L"b"));
}

// Tab stops are the visible, enabled buttons, check boxes and rich edits
// that take the keyboard; labels, rows of a list and controls on hidden tab
// pages are passed over.
TEST(TabOrderTest, TabAndShiftTabWalkOnlyTheTabStops) {
  testing_support::FakeHost host;
  FakeDelegate delegate;
  Window window;
  window.SetHost(&host);
  auto* root = dynamic_cast<Box*>(LayoutBuilder::Create(LR"(<Window><VBox>
    <Label name="caption" text="地址"/>
    <Button name="first"/>
    <CheckBox name="check"/>
    <Button name="disabled" enabled="false"/>
    <Button name="hidden" visible="false"/>
    <Button name="not_a_stop" tabstop="false"/>
    <Button name="no_keyboard" keyboard="false"/>
    <RichEdit name="edit"/>
    <VListBox name="list"><ListContainerElement name="row"><Button name="in_row"/></ListContainerElement></VListBox>
    <TabBox selectedid="0">
      <VBox><Button name="shown_page"/></VBox>
      <VBox><Button name="hidden_page"/></VBox>
    </TabBox>
  </VBox></Window>)", {}, &window));
  ASSERT_NE(root, nullptr);
  window.AttachRoot(root);
  window.ArrangeRoot({400, 600});
  InputRouter router(window, delegate);

  std::vector<std::wstring> order;
  for (Control* c : router.GetTabOrder()) order.push_back(c->GetName());
  EXPECT_EQ(order, (std::vector<std::wstring>{L"first", L"check", L"edit", L"in_row",
                                              L"shown_page"}));

  auto press = [&](wchar_t key, uint32_t modifiers) {
    WindowEvent e;
    e.type = NativeEvent::kKeyPress;
    e.key_code = key;
    e.modifiers = modifiers;
    router.Route(e);
    return window.GetFocus() ? window.GetFocus()->GetName() : std::wstring();
  };
  window.FindControl(L"first")->SetFocus();
  std::vector<std::wstring> forward, backward;
  for (size_t i = 0; i < order.size(); ++i) forward.push_back(press(kKeyTab, 0));
  for (size_t i = 0; i < order.size(); ++i) {
    backward.push_back(press(kKeyTab, kModifierShift));
  }
  EXPECT_EQ(forward, (std::vector<std::wstring>{L"check", L"edit", L"in_row", L"shown_page",
                                                L"first"}));
  EXPECT_EQ(backward, (std::vector<std::wstring>{L"shown_page", L"in_row", L"edit", L"check",
                                                 L"first"}));
  window.SetHost(nullptr);
}
}  // namespace
}  // namespace ui
