#include "tests/app/window/program_fixture.h"

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app/device_list.h"
#include "base/text.h"

namespace fleetsync_test {

namespace fs = std::filesystem;

namespace {

constexpr char kMainClass[] = "批量升级";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

void ProgramTest::SetUp() {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "DISPLAY is not set";
  probe_ = ScreenProbe::Open();
  ASSERT_NE(probe_, nullptr);
  expected_ = std::make_unique<ExpectedMainWindow>(rows_ > 0 ? rows_ : 10);

  program_folder_ = home_.root() / "program";
  fs::create_directories(program_folder_);
  fs::copy_file(FLEETSYNC_APP_PATH, program_folder_ / "fleetsync");
  updater_record_ = home_.root() / "updater-argument";
  const fs::path updater = program_folder_ / "update";
  std::ofstream(updater) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << updater_record_.string()
                         << ".part' && mv '" << updater_record_.string() << ".part' '"
                         << updater_record_.string() << "'\n";
  fs::permissions(updater, fs::perms::owner_all);
}

void ProgramTest::TearDown() {
  program_.reset();  // kills a program a failed test left running
  expected_.reset();
}

void ProgramTest::WriteConfiguration(const std::string& image, const std::string& version,
                                     const std::string& project,
                                     const std::vector<std::string>& addresses) {
  fs::create_directories(home_.data_folder());
  std::ofstream(home_.data_folder() / "settings.ini")
      << "[fleet]\nupdate_file=" << image << "\nboot_logo=\nversion=" << version
      << "\nproject=" << project << "\nforce_update=0\n";
  std::ofstream list(home_.data_folder() / "ip.txt");
  for (const std::string& address : addresses) list << address << "\n";
}

void ProgramTest::StartProgram() {
  // Arguments are ignored.
  program_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{(program_folder_ / "fleetsync").string(), "--ignored", "argument"});
}

bool ProgramTest::WaitForMainWindow(std::chrono::milliseconds limit) {
  const Screenshot idle = ExpectedStatus(0, 0, 0);
  const ui::UiRect status = expected_->ControlRect(L"status_label");
  return PollUntil([&] {
    std::optional<ScreenRect> window = probe_->FindWindow(kMainClass);
    if (!window) return false;
    main_ = *window;
    return Shows(GrabMain(), status, idle);
  }, limit);
}

void ProgramTest::OpenSettingsAndSave() {
  ASSERT_TRUE(ClickControl(L"btn_settings"));
  std::vector<ScreenRect> settings;
  ASSERT_TRUE(PollUntil([&] {
    settings = probe_->FindOtherWindows({kMainClass, "Toast", "fleetsync-tooltip"});
    return !settings.empty();
  }, std::chrono::seconds(20))) << "the settings window did not open";
  const ScreenRect form = settings.back();
  // Let it fade in, then the save button: centred, above a 20 px margin.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  KeepScreenshot(probe_->Grab(form), "settings");
  ASSERT_TRUE(ScreenProbe::Click(form.x + form.width / 2, form.y + form.height - 20 - 15));
  // Off the window, so that no row under the pointer is drawn hot.
  ASSERT_TRUE(ScreenProbe::MovePointer(0, 0));
  ASSERT_TRUE(PollUntil([&] {
    return probe_->FindOtherWindows({kMainClass, "Toast", "fleetsync-tooltip"}).empty();
  }, std::chrono::seconds(20))) << "the settings window did not close";
}

Screenshot ProgramTest::GrabMain() { return probe_->Grab(main_); }

bool ProgramTest::ClickControl(const std::wstring& name) {
  const ui::UiRect r = expected_->ControlRect(name);
  return ScreenProbe::Click(main_.x + (r.left + r.right) / 2, main_.y + (r.top + r.bottom) / 2);
}

bool ProgramTest::Shows(const Screenshot& shot, const ui::UiRect& rect,
                        const Screenshot& expected) const {
  // The same text drawn by the same code: a different digit is a few dozen
  // pixels, so allow hardly any.
  return CountMismatches(shot, rect.left, rect.top, expected) <= 4;
}

Screenshot ProgramTest::ExpectedStatus(int connected, int upgrading, int unreachable) {
  expected_->SetText(L"status_label", StatusLineText({connected, upgrading, unreachable}));
  return expected_->Render(expected_->ControlRect(L"status_label"));
}

ui::UiRect ProgramTest::StateTextRect(int row) const {
  ui::UiRect rect = expected_->RowControlRect(row, L"label_state");
  rect.right = std::min(rect.right, rect.left + 240);  // clear of the time label
  return rect;
}

Screenshot ProgramTest::ExpectedState(int row, const std::wstring& title,
                                      const std::wstring& state, bool red) {
  expected_->SetRow(row, title, true, state, red);
  return expected_->Render(StateTextRect(row));
}

bool ProgramTest::PollUntil(const std::function<bool()>& condition,
                            std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

void ProgramTest::KeepScreenshot(const Screenshot& shot, const std::string& name) {
  const char* folder = std::getenv("FLEETSYNC_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  EXPECT_TRUE(shot.SavePng(std::string(folder) + "/" + name + ".png")) << name;
}

std::vector<int> ProgramTest::OwnAdbProcesses() const {
  const std::string marker = "ANDROID_ADB_SERVER_PORT=" + std::to_string(adb_.port());
  std::vector<int> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* entry = readdir(proc)) {
    const int pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    const std::string folder = std::string("/proc/") + entry->d_name;
    const std::string command = ReadFile(folder + "/cmdline");
    const std::string program = command.substr(0, command.find('\0'));
    if (fs::path(program).filename() != "adb") continue;
    const std::string environment = ReadFile(folder + "/environ");
    std::stringstream entries(environment);
    for (std::string item; std::getline(entries, item, '\0');) {
      if (item == marker) {
        found.push_back(pid);
        break;
      }
    }
  }
  closedir(proc);
  return found;
}

}  // namespace fleetsync_test
