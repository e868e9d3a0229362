// The settings window under Xvfb, driven with xdotool: opening over the main
// window with the stored values, the validation toasts, saving once, a
// failed save, the picker and the address-list opener run as stand-ins on
// PATH.
#include "settings/settings_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "app/config_store.h"
#include "tests/settings/settings_window_session.h"
#include "tests/support/scoped_env.h"
#include "ui/controls/button.h"

namespace {

namespace fs = std::filesystem;

class SettingsFormTest : public SettingsWindowSession {
 protected:
  bool TypeInto(ui::Control* input, const std::string& text) {
    return ClickInput(input) && Xdotool("key End type --delay 20 '" + text + "'");
  }
  // Runs `action` and waits for the toast it raises; returns its message.
  std::string NewToastAfter(const std::function<bool()>& action) {
    const std::vector<Window> before = MappedWindowsOfClass("Toast");
    if (!action()) return "<action failed>";
    std::string title = "<no toast>";
    RunUntil([&] {
      for (Window w : MappedWindowsOfClass("Toast")) {
        if (std::find(before.begin(), before.end(), w) == before.end()) {
          title = WindowTitle(w);
          return true;
        }
      }
      return false;
    }, 2000);
    return title;
  }
  std::string SaveAndReadToast() {
    return NewToastAfter([this] { return ClickOn(*form_, SaveButton()); });
  }
  fs::path SettingsFile() const { return data_.data_folder() / "settings.ini"; }
};

TEST_F(SettingsFormTest, OpensModalOverTheMainWindowWithTheStoredValuesAndCloseDiscardsEdits) {
  const UpgradeSettings stored{L"/srv/固件/update.img", L"/srv/logo.jpg", L"1.2.0", L"qnhmi", true};
  ASSERT_TRUE(SaveUpgradeSettings(stored));
  const std::string file_before = data_.ReadDataFile("settings.ini");
  Open();

  EXPECT_FALSE(NativeWindowOf(owner_->host())->enabled());
  // Sized to its rows (placing a modal window over its owner: the window
  // base's test on a fake window system).
  const ui::ScreenRect self = form_->host()->frame_bounds();
  EXPECT_EQ(self.height, form_->GetRoot()->GetPos().Height());
  EXPECT_GT(self.height, 300);

  EXPECT_EQ(UpdateFileRow()->input->GetText(), stored.update_file);
  EXPECT_EQ(BootLogoRow()->input->GetText(), stored.boot_logo);
  EXPECT_EQ(ProjectRow()->input->GetText(), L"qnhmi");
  EXPECT_EQ(VersionRow()->input->GetText(), L"1.2.0");
  EXPECT_TRUE(ForceRow()->checkbox->IsSelected());

  ASSERT_TRUE(TypeInto(ProjectRow()->input, "x"));
  EXPECT_EQ(form_->project.value, L"qnhmix");
  ASSERT_TRUE(ClickOn(*form_, form_->FindControl(L"closebtn")));
  ASSERT_TRUE(RunUntil([this] { return alive_.expired(); }, 2000));
  EXPECT_EQ(data_.ReadDataFile("settings.ini"), file_before);
  EXPECT_EQ(saved_calls_, 0);
  EXPECT_TRUE(NativeWindowOf(owner_->host())->enabled());
}

TEST_F(SettingsFormTest, RefusedValuesShowTheirToastInOrderAndWriteNothing) {
  stubs_.EmptyPath();  // no zenity, no kdialog
  Open();
  // Project and update file both empty: only the first check speaks.
  EXPECT_EQ(SaveAndReadToast(), "未输入项目名空");
  // Plain keys: xdotool types a character off the keymap by remapping a
  // spare key, which a busy client may read before the new mapping.
  ASSERT_TRUE(TypeInto(ProjectRow()->input, "qnhmi"));
  EXPECT_EQ(form_->project.value, L"qnhmi");
  EXPECT_EQ(SaveAndReadToast(), "未选择升级文件");

  // A click on a path field wants a picker; none is installed.
  EXPECT_EQ(NewToastAfter([this] { return ClickInput(UpdateFileRow()->input); }),
            "未找到文件选择对话框 (zenity/kdialog)");
  // A long press opens no picker but takes the focus back from the toast;
  // a typed path is taken as it is.
  ASSERT_TRUE(Xdotool("mousemove " +
                      ScreenPointOf(*form_, UpdateFileRow()->input,
                                    -UpdateFileRow()->input->GetPos().Width() / 2 + 12) +
                      " mousedown 1 sleep 0.3 mouseup 1"));
  EXPECT_EQ(form_->GetFocus(), UpdateFileRow()->input);
  ASSERT_TRUE(Xdotool("type --delay 20 '/srv/none.img'"));
  EXPECT_EQ(form_->updateFile, L"/srv/none.img");

  for (const char* bad : {"", "1.2", "v1.3", "1.2.x"}) {
    VersionRow()->input->SetText(Utf8ToUtf16(bad));
    EXPECT_EQ(SaveAndReadToast(), "无效的版本号") << bad;
  }
  // The force switch relaxes nothing.
  ASSERT_TRUE(ClickOn(*form_, ForceRow()->checkbox));
  ASSERT_TRUE(form_->forceUpdate.value);
  EXPECT_EQ(SaveAndReadToast(), "无效的版本号");

  EXPECT_FALSE(fs::exists(SettingsFile()));
  EXPECT_EQ(saved_calls_, 0);
  EXPECT_FALSE(alive_.expired());
  EXPECT_FALSE(form_->IsClosing());
}

TEST_F(SettingsFormTest, GoodValuesFromPickerAndKeyboardAreSavedOnceAndTheWindowCloses) {
  stubs_.Install("zenity", "/srv/固件/update 2.img\n", 0);
  Open();
  ASSERT_TRUE(ClickInput(UpdateFileRow()->input));
  ASSERT_TRUE(RunUntil([this] { return !form_->updateFile.empty(); }, 5000));
  EXPECT_EQ(form_->updateFile, L"/srv/固件/update 2.img");
  EXPECT_EQ(UpdateFileRow()->input->GetText(), L"/srv/固件/update 2.img");
  EXPECT_EQ(UpdateFileRow()->input->GetToolTipText(), L"/srv/固件/update 2.img");
  ASSERT_FALSE(stubs_.Arguments().empty());
  EXPECT_EQ(stubs_.Arguments().back(), "--file-filter=升级文件 (*.img) | *.[iI][mM][gG]");
  stubs_.Install("zenity", "/srv/logo 图.jpg\n", 0);
  ASSERT_TRUE(ClickInput(BootLogoRow()->input));
  ASSERT_TRUE(RunUntil([this] { return !form_->bootLogo.empty(); }, 5000));
  EXPECT_EQ(stubs_.Arguments().back(), "--file-filter=图片 (*.jpg) | *.[jJ][pP][gG]");
  ASSERT_TRUE(TypeInto(ProjectRow()->input, "qnhmi"));
  ASSERT_TRUE(TypeInto(VersionRow()->input, "1.3.0-rc.1+b5"));
  ASSERT_TRUE(ClickOn(*form_, ForceRow()->checkbox));
  ASSERT_TRUE(ClickOn(*form_, SaveButton()));
  EXPECT_EQ(saved_calls_, 1);
  const UpgradeSettings saved = LoadUpgradeSettings();
  EXPECT_EQ(saved.update_file, L"/srv/固件/update 2.img");
  EXPECT_EQ(saved.boot_logo, L"/srv/logo 图.jpg");
  EXPECT_EQ(saved.version, L"1.3.0-rc.1+b5");
  EXPECT_EQ(saved.project, L"qnhmi");
  EXPECT_TRUE(saved.force_update);
  ASSERT_TRUE(form_->IsClosing());
  EXPECT_TRUE(NativeWindowOf(owner_->host())->enabled());
  // Another Save during the closing fade saves and notifies nothing.
  fs::remove(SettingsFile());
  SaveButton()->Activate();
  EXPECT_EQ(saved_calls_, 1);
  EXPECT_FALSE(fs::exists(SettingsFile()));
  ASSERT_TRUE(RunUntil([this] { return alive_.expired(); }, 2000));
  EXPECT_TRUE(ToastTitles().empty());
}

// A picker is modal to the settings window: one at a time, no save while it
// is up; a press that ends without a release on the input opens none; and
// the picker ends with the window's owner.
TEST_F(SettingsFormTest, OnePickerAtATimeModalToTheWindowAndEndedWithItsOwner) {
  stubs_.Install("zenity", "/late.img\n", 0, "exec /bin/sleep 60");
  Open();
  // Pressed, then the window closes under the press: no picker.
  ASSERT_TRUE(Xdotool("mousemove " + ScreenPointOf(*form_, UpdateFileRow()->input) + " mousedown 1"));
  ASSERT_TRUE(RunUntil([this] { return form_->GetPressedControl() != nullptr; }, 2000));
  form_->input_router().OnWindowClosing();
  ASSERT_TRUE(Xdotool("mouseup 1"));
  RunFor(100);
  EXPECT_FALSE(stubs_.Ran());

  ASSERT_TRUE(ClickInput(UpdateFileRow()->input));
  int pid = 0;
  ASSERT_TRUE(RunUntil([&] { return (pid = stubs_.Pid()) > 0; }, 5000));
  EXPECT_FALSE(NativeWindowOf(form_->host())->enabled());
  fs::remove(stubs_.root() / "pid");
  ASSERT_TRUE(ClickInput(BootLogoRow()->input));
  ASSERT_TRUE(ClickOn(*form_, SaveButton()));
  RunFor(200);
  EXPECT_EQ(stubs_.Pid(), 0);  // no second dialog
  EXPECT_FALSE(BootLogoRow()->IsPicking());
  EXPECT_FALSE(form_->IsClosing());

  // The owner goes (the program ends): the settings window and its picker too.
  delete owner_;
  owner_ = nullptr;
  EXPECT_TRUE(alive_.expired());
  EXPECT_TRUE(ProcessGone(pid));
}

// What a person sees: a switch's box lines up with its text; Tab shows where
// the focus is, a click does not. (A button lit under the pointer and cleared:
// the program's settings button, read from its screen.)
TEST_F(SettingsFormTest, TheSwitchLinesUpAndTabShowsTheFocus) {
  Open();
  auto ring_pixels = [&](ui::Control* control) {
    const fleetsync_test::ScreenGrab image = GrabControl(control);
    return std::count(image.rgb.begin(), image.rgb.end(), 0x1E78DCu);
  };
  // The box and its text line up: their ink is centred on the same row.
  ui::Control* check = ForceRow()->checkbox;
  const fleetsync_test::ScreenGrab row = GrabControl(check);
  auto ink_centre = [&](int from_x, int to_x) {
    int top = row.height, bottom = -1;
    for (int y = 0; y < row.height; ++y) {
      for (int x = from_x; x < to_x; ++x) {
        const uint32_t p = row.at(x, y);
        if (((p >> 16) & 0xFF) < 0xC0 && (p & 0xFF) < 0xC0) top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    return (top + bottom) / 2.0;
  };
  EXPECT_NEAR(ink_centre(0, 18), ink_centre(24, row.width), 1.5);

  ASSERT_TRUE(ClickInput(ProjectRow()->input));
  RunFor(50);
  EXPECT_EQ(ring_pixels(check), 0);
  ASSERT_TRUE(Xdotool("key Tab Tab"));
  ASSERT_TRUE(RunUntil([&] { return form_->GetFocus() == check; }, 3000));
  RunFor(50);
  EXPECT_GT(ring_pixels(check), 2 * check->GetPos().Width());
  ASSERT_TRUE(ClickOn(*form_, check));
  RunFor(50);
  EXPECT_EQ(ring_pixels(check), 0);
}

TEST_F(SettingsFormTest, FailedSaveIsShownAndKeepsTheWindowAndItsEditsOpen) {
  // A folder where the file should be: the rewrite cannot replace it.
  fs::create_directories(SettingsFile());
  Open();
  UpdateFileRow()->input->SetText(L"/srv/update.img");
  ProjectRow()->input->SetText(L"qnhmi");
  VersionRow()->input->SetText(L"1.0.0");
  EXPECT_EQ(SaveAndReadToast(), "保存设置失败");
  EXPECT_EQ(saved_calls_, 0);
  EXPECT_FALSE(form_->IsClosing());
  EXPECT_FALSE(NativeWindowOf(owner_->host())->enabled());
  EXPECT_EQ(form_->project.value, L"qnhmi");
  EXPECT_TRUE(fs::is_directory(SettingsFile()));
}

TEST_F(SettingsFormTest, AddressListIsCreatedAndOpenedByXdgOpenOrElseTheEditor) {
  fleetsync_test::ScopedEnv visual("VISUAL"), editor("EDITOR");
  ::unsetenv("VISUAL");
  ::unsetenv("EDITOR");
  stubs_.Install("xdg-open", "", 0);
  Open();
  const fs::path address_list = data_.data_folder() / "ip.txt";
  ASSERT_FALSE(fs::exists(address_list));
  ui::Control* button = form_->FindControl(L"btn_address_list");
  ASSERT_TRUE(ClickOn(*form_, button));
  ASSERT_TRUE(RunUntil([this] { return stubs_.Ran() && stubs_.Pid() > 0; }, 3000));
  EXPECT_EQ(stubs_.Arguments(), std::vector<std::string>{address_list.string()});
  EXPECT_TRUE(fs::is_regular_file(address_list));
  EXPECT_EQ(fs::file_size(address_list), 0u);
  // The opener is not waited for, but reaped: no zombie stays.
  EXPECT_TRUE(ProcessGone(stubs_.Pid()));

  // Without xdg-open: $EDITOR with its own arguments; the file is kept.
  std::ofstream(address_list) << "192.168.1.10\n";
  fs::remove(stubs_.root() / "bin" / "xdg-open");
  fs::remove(stubs_.root() / "args.tmp");
  stubs_.Install("my-editor", "", 0);
  ::setenv("EDITOR", "my-editor --wait", 1);
  ASSERT_TRUE(ClickOn(*form_, button));
  ASSERT_TRUE(RunUntil([this] { return stubs_.Ran(); }, 3000));
  EXPECT_EQ(stubs_.Arguments(), (std::vector<std::string>{"--wait", address_list.string()}));
  EXPECT_EQ(data_.ReadDataFile("ip.txt"), "192.168.1.10\n");

  // Nothing to open it with: the user is told.
  ::unsetenv("EDITOR");
  fs::remove(stubs_.root() / "bin" / "my-editor");
  EXPECT_NE(NewToastAfter([&] { return ClickOn(*form_, button); }).find("无法打开IP配置文件"),
            std::string::npos);
}

}  // namespace
