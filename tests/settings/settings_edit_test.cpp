// Editing the settings fields as a person does, on the plain and on the
// composited paint path, judged from outside the program: what the screen
// shows (OCR, the caret and the selection in pixels), what another X
// client reads from and gives to the clipboard (xclip), and what 保存
// writes to settings.ini.
#include <gtest/gtest.h>

#include <locale.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "app/config_store.h"
#include "tests/settings/settings_window_session.h"
#include "tests/support/scoped_env.h"
#include "tests/support/screen_text.h"
#include "ui/controls/rich_edit.h"

namespace {

using fleetsync_test::CleanOcr;
using fleetsync_test::ScreenGrab;

// Taller than any glyph stroke of the 14-pixel field font.
constexpr int kCaretRun = 13;
constexpr char kLongPath[] = "/opt/fleet/firmware/releases/2026/panel-batch-07/update-3.img";

class SettingsEditTest : public SettingsWindowSession, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    GuiSession::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    if (!fleetsync_test::HaveTesseract()) GTEST_SKIP() << "tesseract missing";
    if (access("/usr/bin/xclip", X_OK) != 0) GTEST_SKIP() << "xclip missing";
    if (GetParam()) StartCompositor();
    if (IsSkipped() || HasFatalFailure()) return;
    // A short click on a path field opens the picker: this one cancels.
    stubs_.Install("zenity", "", 1);
    ASSERT_TRUE(SaveUpgradeSettings({L"/srv/a.img", L"", L"1.2.0", L"qnhmi", false}));
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(form_->host()->translucent(), GetParam());
    update_ = UpdateFileRow()->input;
    project_ = ProjectRow()->input;
    version_ = VersionRow()->input;
  }

  // The inside of an input's frame on the screen.
  ScreenGrab Grab(ui::Control* input) { return GrabControl(input, 2); }
  // The text OCR reads in an input, taken while the blinking caret is off
  // (it reads as "|", "]" or "l").
  std::string Read(ui::Control* input,
                   fleetsync_test::OcrLanguage language = fleetsync_test::OcrLanguage::kLatin) {
    RunFor(100);  // painted (and composited)
    ScreenGrab grab;
    RunUntil([&] {
      grab = Grab(input);
      return fleetsync_test::FindCaretColumns(grab, kCaretRun).empty();
    }, 3000);
    return CleanOcr(fleetsync_test::ReadText(grab, language));
  }
  // Waits until the blinking caret shows; its column inside the frame, or -1.
  int CaretColumn(ui::Control* input) {
    int column = -1;
    RunUntil([&] {
      const std::vector<int> found = fleetsync_test::FindCaretColumns(Grab(input), kCaretRun);
      if (found.size() == 1) column = found.front();
      return column >= 0;
    }, 3000);
    return column;
  }
  // Runs a shell command while the loop serves the clipboard; its output.
  std::string Shell(const std::string& command) {
    std::future<std::string> out = std::async(std::launch::async, [command] {
      return platform::x11::testing::Capture(command);
    });
    RunUntil([&] { return out.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return out.get();
  }

  ui::RichEdit* update_ = nullptr;
  ui::RichEdit* project_ = nullptr;
  ui::RichEdit* version_ = nullptr;
};

TEST_P(SettingsEditTest, EditsShowWhereTheyAreMadeAndAreSaved) {
  // The focused field shows its text and the caret where the keys put it.
  ASSERT_TRUE(ClickInput(version_));
  ASSERT_TRUE(Xdotool("key End"));
  EXPECT_EQ(Read(version_), "1.2.0");
  const int caret_at_end = CaretColumn(version_);
  ASSERT_TRUE(Xdotool("key Home"));
  const int caret_at_start = CaretColumn(version_);
  EXPECT_GE(caret_at_start, 0);
  EXPECT_LE(caret_at_start, 6);  // inside the left padding's reach
  EXPECT_GT(caret_at_end, caret_at_start + 15);  // five characters further

  // Middle, end and undo in the version field.
  ASSERT_TRUE(Xdotool("key Right Right type --delay 30 34"));
  EXPECT_EQ(Read(version_), "1.342.0");
  ASSERT_TRUE(Xdotool("key End minus type --delay 30 rc"));
  EXPECT_EQ(Read(version_), "1.342.0-rc");
  ASSERT_TRUE(Xdotool("key ctrl+z"));
  EXPECT_EQ(Read(version_), "1.342.0");

  // Start and end of the project field; then a selection made with the
  // mouse (from past the end to the left edge) is replaced by typing.
  ASSERT_TRUE(ClickInput(project_));
  ASSERT_TRUE(Xdotool("key Home type --delay 30 x"));
  ASSERT_TRUE(Xdotool("key End type --delay 30 2"));
  EXPECT_EQ(Read(project_), "xqnhmi2");
  const ui::UiRect field = project_->GetPos();
  ASSERT_TRUE(Xdotool("mousemove " + ScreenPointOf(*form_, project_, field.Width() / 2 - 4) +
                      " mousedown 1 mousemove " +
                      ScreenPointOf(*form_, project_, -field.Width() / 2 + 2) + " mouseup 1"));
  const auto highlight =
      fleetsync_test::FindColorSpan(Grab(project_), ui::RichEdit::kSelectionColor & 0xFFFFFF, 6);
  ASSERT_TRUE(highlight.has_value());
  EXPECT_LE(highlight->first, 5);
  EXPECT_GT(highlight->second, 30);  // the whole of "xqnhmi2"
  ASSERT_TRUE(Xdotool("type --delay 30 qn-2"));
  EXPECT_EQ(Read(project_), "qn-2");
  EXPECT_FALSE(fleetsync_test::FindColorSpan(Grab(project_),
                                             ui::RichEdit::kSelectionColor & 0xFFFFFF, 6));

  // Another X client reads what was copied, and gives what is pasted: a
  // long path, which then shows its end.
  ASSERT_TRUE(Xdotool("key ctrl+a ctrl+c"));
  EXPECT_EQ(Shell("/usr/bin/timeout 10 /usr/bin/xclip -o -selection clipboard"), "qn-2");
  // xclip stays to serve one request; its output must not hold the pipe.
  Shell(std::string("printf %s '") + kLongPath +
        "' | /usr/bin/xclip -i -selection clipboard -l 1 >/dev/null 2>&1");
  ASSERT_TRUE(ClickInput(update_));  // the picker cancels; the field keeps the focus
  ASSERT_EQ(form_->GetFocus(), update_);
  ASSERT_TRUE(Xdotool("key ctrl+a ctrl+v"));
  ASSERT_TRUE(RunUntil([&] { return form_->updateFile == Utf8ToUtf16(kLongPath); }));
  EXPECT_NE(Read(update_).find("update-3.img"), std::string::npos);
  EXPECT_EQ(Read(update_).find("/opt/fleet"), std::string::npos);

  ASSERT_TRUE(ClickOn(*form_, form_->FindControl(L"btn_save")));
  const std::string ini = data_.ReadDataFile("settings.ini");
  EXPECT_NE(ini.find("version=1.342.0\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("project=qn-2\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find(std::string("update_file=") + kLongPath + "\n"), std::string::npos) << ini;
}

// Chinese typed through a real X input method (uim's pinyin engine, which
// serves zh_CN.UTF-8 clients): the composition shows at the caret before it
// is committed, and the committed text is what is saved.
class SettingsImeTest : public SettingsEditTest {
 protected:
  void SetUp() override {
    if (access("/usr/bin/uim-xim", X_OK) != 0) GTEST_SKIP() << "uim-xim missing";
    if (!fleetsync_test::HaveTesseract(fleetsync_test::OcrLanguage::kChinese))
      GTEST_SKIP() << "tesseract-ocr-chi-sim missing";
    locale_t chinese = newlocale(LC_CTYPE_MASK, "zh_CN.UTF-8", nullptr);
    if (!chinese) GTEST_SKIP() << "no zh_CN.UTF-8 locale (tools/setup makes it)";
    freelocale(chinese);
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "DISPLAY is not set";
    uim_ = std::make_unique<platform::x11::testing::Child>(
        std::vector<std::string>{"/usr/bin/uim-xim", "--engine=py"});
    ASSERT_TRUE(uim_->started());
    // The input method is opened with the display: the server must own its
    // selection by then (an earlier server may have left its name listed).
    ::Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    const Atom server = XInternAtom(x, "@server=uim", False);
    for (int i = 0; i < 400 && XGetSelectionOwner(x, server) == None; ++i) usleep(25000);
    const bool up = XGetSelectionOwner(x, server) != None;
    XCloseDisplay(x);
    ASSERT_TRUE(up) << "uim-xim did not start";
    SettingsEditTest::SetUp();
  }
  void TearDown() override {
    SettingsEditTest::TearDown();
    display_.reset();  // closes the input method while its server still runs
  }

  fleetsync_test::ScopedEnv ctype_{"LC_CTYPE", "zh_CN.UTF-8"};
  fleetsync_test::ScopedEnv all_{"LC_ALL", nullptr};
  fleetsync_test::ScopedEnv modifiers_{"XMODIFIERS", "@im=uim"};
  std::unique_ptr<platform::x11::testing::Child> uim_;
};

TEST_P(SettingsImeTest, CompositionShowsAtTheCaretAndTheCommittedTextIsSaved) {
  ASSERT_TRUE(ClickInput(project_));
  ASSERT_TRUE(Xdotool("key ctrl+a BackSpace shift+space"));  // empty, input method on
  // "ni" is committed when "h" starts the next syllable, "hao" is composed.
  ASSERT_TRUE(Xdotool("type --delay 60 nihao"));
  ASSERT_TRUE(RunUntil([&] { return form_->project.value == L"你"; }));
  EXPECT_EQ(Read(project_, fleetsync_test::OcrLanguage::kChinese), "你好");
  ASSERT_TRUE(Xdotool("key Return"));
  ASSERT_TRUE(RunUntil([&] { return form_->project.value == L"你好"; }));
  EXPECT_EQ(Read(project_, fleetsync_test::OcrLanguage::kChinese), "你好");
  ASSERT_TRUE(Xdotool("key shift+space"));  // input method off
  ASSERT_TRUE(ClickOn(*form_, form_->FindControl(L"btn_save")));
  EXPECT_NE(data_.ReadDataFile("settings.ini").find("project=你好\n"), std::string::npos) << data_.ReadDataFile("settings.ini");
}

INSTANTIATE_TEST_SUITE_P(PaintPaths, SettingsEditTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Composited" : "Plain"; });
INSTANTIATE_TEST_SUITE_P(PaintPaths, SettingsImeTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Composited" : "Plain"; });

}  // namespace
