// The text input as a person edits it: keys, mouse, clipboard and undo
// through the framework events the router sends, and what its painting
// shows of caret and text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/controls/fake_host.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/render/render_context.h"
#include "ui/resources/global_manager.h"
#include "ui/ui_startup.h"

namespace ui {
namespace {

constexpr uint32_t kShift = kModifierShift;
constexpr uint32_t kCtrl = kModifierControl;

class RichEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Shutdown();
    window_.SetHost(&host_);
    auto* root = new VBox;
    edit_ = new RichEdit;
    edit_->SetFixedHeight(25);
    edit_->SetAttribute(L"padding", L"5,0,5,0");
    GlobalManager::AddTextColor(L"ink", L"#FF000000");
    edit_->SetAttribute(L"normaltextcolor", L"ink");
    root->Add(edit_);
    window_.AttachRoot(root);
    window_.ArrangeRoot({300, 100});
    edit_->AttachTextChange([this](const EventArgs&) { return ++changes_, true; });
    edit_->SetFocus();
  }
  void TearDown() override { Shutdown(); }

  void Key(wchar_t key, uint32_t modifiers = 0) {
    edit_->SendEvent(kEventKeyDown, key, 0, key, {}, modifiers);
  }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) edit_->SendEvent(kEventChar, c, 0, c);
  }
  void Mouse(EventType type, int x, uint32_t modifiers = 0) {
    edit_->SendEvent(type, 0, 0, 0, {x, 12}, modifiers);
  }
  std::wstring Selected() const { return edit_->GetSelectedText(); }

  testing_support::FakeHost host_;
  Window window_;
  RichEdit* edit_ = nullptr;
  int changes_ = 0;
};

TEST_F(RichEditTest, SettingTheTextItHoldsChangesNothingNotEvenTheCaret) {
  edit_->SetText(L"1.2.0");
  Key(kKeyHome);
  Key(kKeyRight);
  edit_->SetText(L"1.2.0");  // what a value binding writes back
  Type(L"x");
  EXPECT_EQ(edit_->GetText(), L"1x.2.0");
  edit_->SetText(L"");
  EXPECT_EQ(changes_, 3);
}

// Each row starts from "1.2.0 beta" with the caret at the end. Typing in the
// middle and at the start, one undo of a typed run and Ctrl+A are what the
// settings window's editing test reads on the screen.
TEST_F(RichEditTest, KeysEditAtTheCaretAndOverTheSelection) {
  struct Step {
    wchar_t key;  // 0: type `text`
    uint32_t modifiers;
    const wchar_t* text;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    const wchar_t* text;
    const wchar_t* selected;
  };
  const Case cases[] = {
      {"shift selects, typing replaces",
       {{kKeyLeft, kShift, nullptr}, {kKeyLeft, kShift, nullptr}, {0, 0, L"ta!"}},
       L"1.2.0 beta!", L""},
      {"ctrl+shift+left selects a word", {{kKeyLeft, kCtrl | kShift, nullptr}}, L"1.2.0 beta",
       L"beta"},
      {"ctrl+left twice", {{kKeyLeft, kCtrl, nullptr}, {kKeyLeft, kCtrl, nullptr}, {0, 0, L"["}},
       L"1.2.[0 beta", L""},
      {"ctrl+right from the start", {{kKeyHome, 0, nullptr}, {kKeyRight, kCtrl, nullptr}, {0, 0, L"_"}},
       L"1_.2.0 beta", L""},
      {"shift+home then left collapses to the start",
       {{kKeyHome, kShift, nullptr}, {kKeyLeft, 0, nullptr}, {0, 0, L">"}}, L">1.2.0 beta", L""},
      {"backspace and delete", {{kKeyBack, 0, nullptr}, {kKeyHome, 0, nullptr}, {kKeyDelete, 0, nullptr}},
       L".2.0 bet", L""},
      {"ctrl+backspace deletes a word", {{kKeyBack, kCtrl, nullptr}}, L"1.2.0 ", L""},
      {"ctrl+delete deletes to the next word",
       {{kKeyHome, 0, nullptr}, {kKeyDelete, kCtrl, nullptr}}, L".2.0 beta", L""},
      {"return and tab are swallowed in a single line",
       {{kKeyEnter, 0, nullptr}, {0, 0, L"\t\r"}}, L"1.2.0 beta", L""},
      {"undo takes back a typed run at once, redo brings it",
       {{0, 0, L"12"}, {kKeyHome, 0, nullptr}, {0, 0, L"x"}, {L'Z', kCtrl, nullptr},
        {L'Z', kCtrl, nullptr}, {L'Z', kCtrl | kShift, nullptr}},
       L"1.2.0 beta12", L""},
      {"undo of a deletion run",
       {{kKeyBack, 0, nullptr}, {kKeyBack, 0, nullptr}, {L'Z', kCtrl, nullptr}}, L"1.2.0 beta", L""},
  };
  for (const Case& c : cases) {
    edit_->SetText(L"");
    edit_->SetText(L"1.2.0 beta");
    for (const Step& s : c.steps) {
      if (s.key) Key(s.key, s.modifiers);
      else Type(s.text);
    }
    EXPECT_EQ(edit_->GetText(), c.text) << c.name;
    EXPECT_EQ(Selected(), c.selected) << c.name;
  }
}

// Copy and paste with another X client: the settings window's editing test.
TEST_F(RichEditTest, ClipboardCutPasteAndWhatIsNotCopied) {
  edit_->SetText(L"/srv/固件/update.img");
  Key(kKeyLeft, kCtrl | kShift);
  Key(L'X', kCtrl);
  EXPECT_EQ(host_.clipboard, L"img");
  EXPECT_EQ(edit_->GetText(), L"/srv/固件/update.");
  Key(L'V', kCtrl);
  Key(kKeyInsert, kShift);
  EXPECT_EQ(edit_->GetText(), L"/srv/固件/update.imgimg");
  // Line breaks of a pasted text never reach a single-line value.
  host_.clipboard = L"a\r\nb\n";
  Key(L'A', kCtrl);
  Key(L'V', kCtrl);
  EXPECT_EQ(edit_->GetText(), L"ab");

  // Passwords are not copied; read-only text is copied but not cut.
  edit_->SetAttribute(L"password", L"true");
  Key(L'A', kCtrl);
  Key(L'C', kCtrl);
  EXPECT_EQ(host_.clipboard, L"a\r\nb\n");
  edit_->SetAttribute(L"password", L"false");
  edit_->SetReadOnly(true);
  const int before = changes_;
  Key(L'X', kCtrl);
  Type(L"z");
  Key(kKeyBack);
  Key(L'V', kCtrl);
  EXPECT_EQ(host_.clipboard, L"ab");
  EXPECT_EQ(edit_->GetText(), L"ab");
  EXPECT_EQ(changes_, before);
}

// A drag past the end selects it all: the settings window's editing test.
TEST_F(RichEditTest, DoubleClickTakesAWordShiftClickExtends) {
  edit_->SetText(L"alpha beta gamma");
  Mouse(kEventMouseButtonDown, 0);
  EXPECT_EQ(edit_->GetCaret(), 0u);
  Mouse(kEventMouseButtonUp, 0);
  Mouse(kEventMouseMove, 299);  // no button held: nothing is selected
  EXPECT_EQ(Selected(), L"");
  Mouse(kEventMouseButtonDown, 299, kShift);
  EXPECT_EQ(Selected(), L"alpha beta gamma");

  Mouse(kEventInternalDoubleClick, 299);
  EXPECT_EQ(Selected(), L"gamma");
}

// Ink in the columns [from, to) and rows [top, bottom) of a fresh paint.
int InkColumns(Window& window, int from, int to, int top, int bottom) {
  RenderContext context(300, 100);
  window.Paint(context);
  int n = 0;
  for (int x = from; x < to; ++x) {
    for (int y = top; y < bottom; ++y) {
      if ((context.GetPixel(x, y) >> 24) > 0x80) {
        ++n;
        break;
      }
    }
  }
  return n;
}

// A long text is scrolled so that the caret stays inside the padding, only
// with autohscroll (the caret's blink and its place at Home and End: the
// settings window's editing test, in screen pixels).
TEST_F(RichEditTest, LongTextStaysInsideThePadding) {
  const UiRect field = edit_->GetPos();
  auto ink_columns = [&](int from, int to) { return InkColumns(window_, from, to, field.top, field.bottom); };
  const int inside_left = field.left + 5, inside_right = field.right - 5;
  const std::wstring long_text = L"W" + std::wstring(200, L' ') + L"end";
  edit_->SetText(long_text);
  Key(kKeyEnd);
  EXPECT_GT(ink_columns(inside_left, inside_left + 8), 0) << "without autohscroll the start stays";
  edit_->SetAttribute(L"autohscroll", L"true");
  edit_->SetText(std::wstring(200, L'W') + long_text);
  Key(kKeyEnd);
  // Nothing is drawn in the padding, and the text reaches the right edge.
  EXPECT_EQ(ink_columns(field.left, inside_left) + ink_columns(inside_right, field.right), 0);
  EXPECT_GT(ink_columns(inside_right - 4, inside_right), 0);
  Key(kKeyLeft);  // the caret stays visible going back: nothing jumps
  EXPECT_EQ(ink_columns(inside_left, inside_left + 8), 0);
}

// The attributes that shape a multi-line input, the prompt and Return.
TEST_F(RichEditTest, MultiLinePromptAndReturnFollowTheirAttributes) {
  edit_->SetFixedHeight(60);
  edit_->SetAttribute(L"multiline", L"true");
  window_.ArrangeRoot({300, 100});
  const UiRect field = edit_->GetPos();
  const int mid = field.top + 30;
  auto top_ink = [&] { return InkColumns(window_, field.left, field.right, field.top, field.top + 18); };
  auto lower_ink = [&] { return InkColumns(window_, field.left, field.right, mid, field.bottom); };

  std::wstring words;
  for (int i = 0; i < 40; ++i) words += L"word ";
  edit_->SetText(words);
  EXPECT_GT(lower_ink(), 0) << "without autohscroll the words wrap";
  edit_->SetAttribute(L"autohscroll", L"true");
  edit_->SetText(words + L"more");
  EXPECT_EQ(lower_ink(), 0) << "with autohscroll one line";

  edit_->SetText(L"top" + std::wstring(12, L'\n') + L"end");
  Key(kKeyEnd);
  EXPECT_GT(top_ink(), 0) << "without autovscroll the view stays at the top";
  edit_->SetAttribute(L"autovscroll", L"true");
  Key(kKeyEnd);
  EXPECT_EQ(top_ink(), 0);
  EXPECT_GT(lower_ink(), 0);

  int returns = 0;
  edit_->AttachEvent(kEventReturn, [&](const EventArgs&) { return ++returns, true; });
  edit_->SetAttribute(L"wantreturnmsg", L"true");
  edit_->SetAttribute(L"returnmsgwantctrl", L"true");
  edit_->SetText(L"a");
  Key(kKeyEnter);
  EXPECT_EQ(returns, 0);
  EXPECT_EQ(edit_->GetText(), L"a\n");
  Key(kKeyEnter, kCtrl);
  EXPECT_EQ(returns, 1);

  edit_->SetText(L"");
  edit_->SetPromptText(L"MMMM");
  edit_->SetAttribute(L"promptcolor", L"ink");
  EXPECT_EQ(InkColumns(window_, field.left + 8, field.right, field.top, field.bottom), 0)
      << "a prompt shows only in prompt mode";
  edit_->SetAttribute(L"promptmode", L"true");
  EXPECT_GT(InkColumns(window_, field.left + 8, field.right, field.top, field.bottom), 0);

  EXPECT_TRUE(edit_->SetAttribute(L"rich", L"false"));
  EXPECT_FALSE(edit_->SetAttribute(L"rich", L"true")) << "plain text only";
}

}  // namespace
}  // namespace ui
