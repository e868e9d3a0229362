// The markup builder: document roots, build order, classes, includes, events
// and the fill-a-box cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/support/temp_folder.h"
#include "ui/controls/button.h"
#include "ui/controls/default_colors.h"
#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/markup/layout_builder.h"
#include "ui/resources/global_manager.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

class LayoutBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    GlobalManager::SetThemePath(Utf8ToUtf16(theme_.path()));
  }
  void TearDown() override {
    window_.reset();
    Shutdown();
  }

  // Builds a window layout and attaches its root to a fresh window.
  Box* BuildWindow(const std::wstring& markup, LayoutBuilder::CreateControlCallback make = {}) {
    window_ = std::make_unique<Window>();
    Control* root = LayoutBuilder::Create(markup, make, window_.get());
    Box* box = dynamic_cast<Box*>(root);
    if (box) window_->AttachRoot(box);
    else Control::Destroy(root);
    return box;
  }

  template <typename T>
  T* Find(const wchar_t* name) {
    return dynamic_cast<T*>(window_->FindControl(name));
  }

  fleetsync_test::TempFolder theme_{"uictl-markup"};
  std::unique_ptr<Window> window_;
};

TEST_F(LayoutBuilderTest, GlobalRootFillsTheProcessTables) {
  LayoutBuilder::Create(
      L"<Global defaultfontcolor=\"ink\" disabledfontcolor=\"ash\">"
      L"<Font id=\"f1\" name=\"system\" size=\"13\" bold=\"true\"/>"
      L"<TextColor name=\"ink\" value=\"#ff112233\"/>"
      L"<TextColor name=\"bad\" value=\"112233\"/>"
      L"<Class name=\"c1\" width=\"20\" _value=\"7\"/>"
      L"<Class name=\"combo\" value=\"height=&quot;28&quot; font=&quot;f1&quot;\"/>"
      L"</Global>");
  EXPECT_EQ(GlobalManager::GetTextColor(L"ink"), 0xff112233u);
  EXPECT_EQ(GlobalManager::GetTextColor(L"bad"), 0u);
  EXPECT_EQ(GlobalManager::GetClassAttributes(L"c1"), L"width=\"20\" value=\"7\"");
  EXPECT_EQ(GlobalManager::GetClassAttributes(L"combo"), L"height=\"28\" font=\"f1\"");
  ASSERT_NE(GlobalManager::GetFont(L"f1"), nullptr);
  EXPECT_EQ(DefaultColors::Get().default_font_color, L"ink");
  EXPECT_EQ(DefaultColors::Get().disabled_font_color, L"ash");
}

TEST_F(LayoutBuilderTest, ClassesApplyInOrderGlobalBeforeWindow) {
  LayoutBuilder::Create(
      L"<Global>"
      L"<Class name=\"simple\" multiline=\"false\" prompttext=\"simple\" maxchar=\"10\"/>"
      L"<Class name=\"input\" prompttext=\"input\" readonly=\"true\"/>"
      L"</Global>");
  Box* root = BuildWindow(
      L"<Window>"
      L"<Class name=\"input\" readonly=\"false\" maxchar=\"99\"/>"
      L"<Class name=\"prompt\" prompttext=\"prompt\"/>"
      L"<VBox><RichEdit name=\"edit\" class=\"simple input prompt\"/></VBox></Window>");
  ASSERT_NE(root, nullptr);
  auto* edit = Find<RichEdit>(L"edit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetPromptText(), L"prompt");  // the last class wins
  EXPECT_TRUE(edit->IsReadOnly());              // "input" found globally first
  EXPECT_EQ(edit->GetMaxChar(), 10);            // the window's "input" is not used
  EXPECT_FALSE(edit->IsMultiLine());
}

TEST_F(LayoutBuilderTest, AttributesAfterClassOverrideItAndBeforeItLose) {
  LayoutBuilder::Create(
      L"<Global><Class name=\"ui_btn_default\" width=\"auto\" textpadding=\"16,8,16,8\"/></Global>");
  BuildWindow(
      L"<Window><VBox>"
      L"<Button name=\"after\" class=\"ui_btn_default\" textpadding=\"1,2,3,4\"/>"
      L"<Button name=\"before\" textpadding=\"1,2,3,4\" class=\"ui_btn_default\"/>"
      L"</VBox></Window>");
  ASSERT_NE(Find<Button>(L"after"), nullptr);
  EXPECT_EQ(Find<Button>(L"after")->GetTextPadding(), (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(Find<Button>(L"before")->GetTextPadding(), (UiRect{16, 8, 16, 8}));
}

// Every attribute is either taken by the class that owns it or reported, the
// same way for controls, containers, the window root and the global root.
TEST_F(LayoutBuilderTest, UnsupportedAttributesAreReportedWhereverTheyAppear) {
  struct Case {
    const wchar_t* markup;
    std::vector<std::string> reported;
  } cases[] = {
      {L"<Window heightpercent=\"0.5\" textid=\"T\" title=\"this\" alphafixcorner=\"0,0,0,0\" "
       L"renderalpha=\"true\"><VBox/></Window>",
       {"title", "alphafixcorner", "renderalpha"}},
      {L"<Window><VBox padding=\"1,1,1,1\" childmargin=\"2\" mousechild=\"false\" fadehot=\"false\" "
       L"menu=\"m\" bkcolor1=\"c\" fadewidth=\"true\" loadingimage=\"x.png\"/></Window>",
       {"menu", "bkcolor1", "fadewidth", "loadingimage"}},
      {L"<Window><VListBox vscrollbar=\"true\" holdend=\"true\" scrollbarpadding=\"0,2,0,2\" "
       L"hscrollbar=\"true\" scrollselect=\"true\" vscrollbarstyle=\"s\"/></Window>",
       {"hscrollbar", "scrollselect", "vscrollbarstyle"}},
      {L"<Window><TabBox selectedid=\"0\" fadeswitch=\"true\"><Option group=\"g\" "
       L"autotooltip=\"true\" linelimit=\"2\" drawtextfillpath=\"true\"/></TabBox></Window>",
       {"linelimit", "drawtextfillpath"}},
      {L"<Global selectedcolor=\"c\" nosuchdefault=\"c\"/>", {"nosuchdefault"}},
  };
  for (const Case& c : cases) {
    ::testing::internal::CaptureStderr();
    BuildWindow(c.markup);
    const std::string err = ::testing::internal::GetCapturedStderr();
    size_t lines = std::count(err.begin(), err.end(), '\n');
    EXPECT_EQ(lines, c.reported.size()) << err;
    for (const std::string& name : c.reported) {
      EXPECT_NE(err.find("unsupported attribute \"" + name + "\""), std::string::npos) << err;
    }
  }
}

TEST_F(LayoutBuilderTest, WindowColoursShadowGlobalOnes) {
  GlobalManager::AddTextColor(L"both", 0xff000001u);
  GlobalManager::AddTextColor(L"global_only", 0xff000002u);
  BuildWindow(L"<Window><TextColor name=\"both\" value=\"#ff0000ff\"/><VBox/></Window>");
  EXPECT_EQ(window_->GetTextColor(L"both"), 0xff0000ffu);
  EXPECT_EQ(window_->GetTextColor(L"global_only"), 0xff000002u);
  EXPECT_EQ(window_->GetTextColor(L"unknown"), 0u);
}

TEST_F(LayoutBuilderTest, ChildMarginWrittenAfterChildrenStillApplies) {
  // The container's attributes are applied once its children exist, so the
  // gap reaches children that were added before it was read.
  Box* root = BuildWindow(
      L"<Window><VBox childmargin=\"7\" padding=\"0,3,0,0\">"
      L"<Control height=\"10\"/><Control height=\"10\"/></VBox></Window>");
  ASSERT_NE(root, nullptr);
  window_->ArrangeRoot({50, 100});
  EXPECT_EQ(root->GetItemAt(0)->GetPos(), (UiRect{0, 3, 50, 13}));
  EXPECT_EQ(root->GetItemAt(1)->GetPos(), (UiRect{0, 20, 50, 30}));
}

TEST_F(LayoutBuilderTest, IncludeBuildsTheFileCountTimes) {
  theme_.Write("parts/row.xml",
            "<Window><HBox height=\"10\"><Label text=\"行\"/></HBox></Window>");
  Box* root = BuildWindow(
      L"<Window><VBox><Include source=\"parts/row.xml\" count=\"3\"/>"
      L"<Control name=\"after\"/></VBox></Window>");
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->GetCount(), 4u);
  for (size_t i = 0; i < 3; ++i) {
    auto* row = dynamic_cast<Box*>(root->GetItemAt(i));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetFixedHeight(), 10);
    EXPECT_EQ(row->GetCount(), 1u);
  }
  EXPECT_EQ(root->GetItemAt(3)->GetName(), L"after");
}

TEST_F(LayoutBuilderTest, RecursiveAndMissingIncludesAddNothing) {
  Box* missing = BuildWindow(L"<Window><VBox><Include source=\"nope.xml\"/><Control/></VBox></Window>");
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->GetCount(), 1u);

  theme_.Write("self.xml", "<Window><VBox><Include source=\"self.xml\"/></VBox></Window>");
  theme_.Write("a.xml", "<Window><VBox name=\"a\"><Include source=\"b.xml\"/></VBox></Window>");
  theme_.Write("b.xml", "<Window><VBox name=\"b\"><Include source=\"a.xml\"/></VBox></Window>");
  Box* root = BuildWindow(L"self.xml");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetCount(), 0u);

  Box* chain = BuildWindow(L"a.xml");
  ASSERT_NE(chain, nullptr);
  ASSERT_EQ(chain->GetCount(), 1u);  // b, whose include of a is refused
  auto* b = dynamic_cast<Box*>(chain->GetItemAt(0));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetName(), L"b");
  EXPECT_EQ(b->GetCount(), 0u);
}

TEST_F(LayoutBuilderTest, MarkupEventsApplyAttributesToReceivers) {
  Box* root = BuildWindow(
      L"<Window><VBox name=\"outer\">"
      L"<Label name=\"target\" text=\"before\"/>"
      L"<Button name=\"btn\">"
      L"<Event type=\"buttondown unknownname\" receiver=\"target\" applyattribute=\"text=&quot;pressed&quot;\"/>"
      L"</Button>"
      L"</VBox></Window>");
  ASSERT_NE(root, nullptr);
  window_->ArrangeRoot({200, 200});
  auto* btn = Find<Button>(L"btn");
  ASSERT_NE(btn, nullptr);
  btn->SendEvent(kEventMouseButtonDown);
  EXPECT_EQ(Find<Label>(L"target")->GetText(), L"pressed");
}

TEST_F(LayoutBuilderTest, BubbledMarkupEventSeesDescendantsEvents) {
  Box* root = BuildWindow(
      L"<Window><VBox>"
      L"<Label name=\"far\" text=\"x\"/>"
      L"<HBox name=\"group\">"
      L"<BubbledEvent type=\"buttondown\" receiver=\"./inner far\" applyattribute=\"text=&quot;hit&quot;\"/>"
      L"<Label name=\"inner\"/><Button name=\"inner_btn\" mouse=\"false\"/>"
      L"</HBox>"
      L"</VBox></Window>");
  ASSERT_NE(root, nullptr);
  window_->ArrangeRoot({200, 200});
  // A mouse-disabled button passes the press to its parent's dispatch.
  Find<Button>(L"inner_btn")->SendEvent(kEventMouseButtonDown);
  EXPECT_EQ(Find<Label>(L"inner")->GetText(), L"hit");
  EXPECT_EQ(Find<Label>(L"far")->GetText(), L"hit");
}

TEST_F(LayoutBuilderTest, MalformedDocumentsBuildNothingAndUnknownPartsAreSkipped) {
  EXPECT_EQ(LayoutBuilder::Create(L"<Window><VBox></Window>"), nullptr);
  EXPECT_EQ(LayoutBuilder::Create(L"<Other><VBox/></Other>"), nullptr);
  EXPECT_EQ(LayoutBuilder::Create(L"missing.xml"), nullptr);

  Box* root = BuildWindow(
      L"<Window><VBox>"
      L"<Combo name=\"combo\"><Label name=\"inside_combo\"/></Combo>"
      L"<Label name=\"ok\" frobnicate=\"1\" text=\"还在\"/>"
      L"<Label name=\"lbl\"><Control name=\"refused\"/></Label>"
      L"</VBox></Window>");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(window_->FindControl(L"combo"), nullptr);
  EXPECT_EQ(window_->FindControl(L"inside_combo"), nullptr);
  EXPECT_EQ(window_->FindControl(L"refused"), nullptr);
  ASSERT_NE(Find<Label>(L"ok"), nullptr);
  EXPECT_EQ(Find<Label>(L"ok")->GetText(), L"还在");
  EXPECT_EQ(root->GetCount(), 2u);
}

TEST_F(LayoutBuilderTest, CreateCallbackMakesUnknownElements) {
  int asked = 0;
  BuildWindow(L"<Window><VBox><MyRow name=\"mine\" height=\"33\"/></VBox></Window>",
              [&](const std::wstring& element) -> Control* {
                ++asked;
                return element == L"MyRow" ? new VBox : nullptr;
              });
  EXPECT_EQ(asked, 1);
  ASSERT_NE(window_->FindControl(L"mine"), nullptr);
  EXPECT_EQ(window_->FindControl(L"mine")->GetFixedHeight(), 33);
}

TEST_F(LayoutBuilderTest, FillBoxUsesTheRowElementAndCachesTheDocument) {
  LayoutBuilder::Create(L"<Global><Class name=\"listitem\" hotcolor=\"hov\" fadehot=\"false\"/></Global>");
  theme_.Write("rows/item.xml",
            "<Window><ListContainerElement class=\"listitem\" height=\"auto\">"
            "<Label name=\"label_state\" text=\"连接设备\" height=\"20\"/>"
            "</ListContainerElement></Window>");
  ListContainerElement row;
  EXPECT_EQ(LayoutBuilder::FillBox(L"rows/item.xml", &row), &row);
  EXPECT_EQ(row.GetFixedHeight(), kSizeAuto);
  EXPECT_EQ(row.GetStateColor(ControlState::kHot), L"hov");
  ASSERT_EQ(row.GetCount(), 1u);
  EXPECT_EQ(row.FindSubControl(L"label_state")->GetFixedHeight(), 20);

  // A later request reuses the parsed document even if the file changed.
  theme_.Write("rows/item.xml", "<Window><ListContainerElement/></Window>");
  ListContainerElement second;
  LayoutBuilder::FillBox(L"rows/item.xml", &second);
  EXPECT_EQ(second.GetCount(), 1u);
  LayoutBuilder::ClearDocumentCache();
  ListContainerElement third;
  LayoutBuilder::FillBox(L"rows/item.xml", &third);
  EXPECT_EQ(third.GetCount(), 0u);
}

}  // namespace
}  // namespace ui
