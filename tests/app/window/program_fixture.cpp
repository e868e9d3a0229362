#include "tests/app/window/program_fixture.h"

#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>


namespace fleetsync_test {

namespace fs = std::filesystem;

namespace {

constexpr char kMainClass[] = "批量升级";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void ProgramTest::SetUp() {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "DISPLAY is not set";
  probe_ = ScreenProbe::Open();
  ASSERT_NE(probe_, nullptr);
  if (!HaveTesseract(OcrLanguage::kChinese)) GTEST_SKIP() << "tesseract with chi_sim missing";

  program_folder_ = home_.root() / "program";
  fs::create_directories(program_folder_);
  // $FLEETSYNC_PROGRAM names another build of the program (a sanitizer one).
  const char* program = std::getenv("FLEETSYNC_PROGRAM");
  fs::copy_file(program && *program ? program : FLEETSYNC_APP_PATH, program_folder_ / "fleetsync");
  updater_record_ = home_.root() / "updater-argument";
  const fs::path updater = program_folder_ / "update";
  std::ofstream(updater) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << updater_record_.string()
                         << ".part' && mv '" << updater_record_.string() << ".part' '"
                         << updater_record_.string() << "'\n";
  fs::permissions(updater, fs::perms::owner_all);
}

void ProgramTest::TearDown() {
  if (program_) {
    // Every run ends as a user's would; a sanitizer build reports then.
    program_->Signal(SIGTERM);
    const ProcessResult end = program_->Wait(std::chrono::seconds(60));
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"}) {
      const size_t at = end.output.find(report);
      EXPECT_EQ(at, std::string::npos) << end.output.substr(at == std::string::npos ? 0 : at, 4000);
    }
  }
  program_.reset();
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
  return PollUntil([&] {
    std::optional<ScreenRect> window = probe_->FindWindow(kMainClass);
    if (!window) return false;
    main_ = *window;
    return ReadStatusCounts() == std::array<int, 3>{0, 0, 0};
  }, limit);
}

void ProgramTest::OpenSettingsAndSave() {
  ASSERT_TRUE(ClickSettingsButton());
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

ScreenGrab ProgramTest::GrabMain() { return probe_->Grab(main_); }

ScreenGrab ProgramTest::GrabMain(const ScreenRect& part) {
  return probe_->Grab({main_.x + part.x, main_.y + part.y, part.width, part.height});
}

std::string ProgramTest::ReadMain(const ScreenRect& part, OcrLanguage language) {
  return ReadText(GrabMain(part), language);
}

std::optional<std::array<int, 3>> ProgramTest::ReadStatusCounts() {
  // "已连接数量：%d    正在升级数量：%d    无法连接数量：%d": the numbers in order.
  std::string text = ReadMain(StatusRect());
  std::replace_if(text.begin(), text.end(), [](unsigned char c) { return !std::isdigit(c); }, ' ');
  std::istringstream numbers(text);
  std::array<int, 3> counts{};
  int more = 0;
  if (!(numbers >> counts[0] >> counts[1] >> counts[2]) || numbers >> more) return std::nullopt;
  return counts;
}

bool ProgramTest::ClickSettingsButton() {
  // The one blue button along the middle of the title bar.
  const ScreenGrab band = GrabMain({0, 17, main_.width, 1});
  const auto blue = FindColorSpan(band, 0x2878D4, 24);
  return blue && ScreenProbe::Click(main_.x + (blue->first + blue->second) / 2, main_.y + 17);
}

bool ProgramTest::ClickCloseButton() {
  // The cross: the last dark ink along the middle of the title bar.
  const ScreenGrab band = GrabMain({0, 17, main_.width, 1});
  for (int x = band.width - 1; x >= 0; --x) {
    const uint32_t p = band.at(x, 0);
    if (((p >> 16) & 0xFF) < 0x90 && ((p >> 8) & 0xFF) < 0x90) {
      return ScreenProbe::Click(main_.x + x - 3, main_.y + 17);
    }
  }
  return false;
}

void ProgramTest::KeepScreenshot(const ScreenGrab& shot, const std::string& name) {
  const char* folder = std::getenv("FLEETSYNC_SCREENSHOT_DIR");
  if (!folder || !*folder) return;
  EXPECT_TRUE(SavePng(shot, std::string(folder) + "/" + name + ".png")) << name;
}

std::vector<int> ProgramTest::OwnAdbProcesses() const {
  // Every entry of /proc/PID/environ ends with a NUL byte.
  const std::string marker = "ANDROID_ADB_SERVER_PORT=" + std::to_string(adb_.port()) + '\0';
  std::vector<int> found;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    const int pid = std::atoi(entry.path().filename().c_str());
    if (pid <= 0) continue;
    const std::string command = ReadFile(entry.path() / "cmdline");
    if (fs::path(command.substr(0, command.find('\0'))).filename() != "adb") continue;
    if (('\0' + ReadFile(entry.path() / "environ")).find('\0' + marker) != std::string::npos) {
      found.push_back(pid);
    }
  }
  return found;
}

int CountColour(const ScreenGrab& grab, const ScreenRect& rect, uint32_t rgb, int tolerance) {
  int count = 0;
  for (int y = std::max(0, rect.y); y < std::min(grab.height, rect.y + rect.height); ++y) {
    for (int x = std::max(0, rect.x); x < std::min(grab.width, rect.x + rect.width); ++x) {
      const uint32_t p = grab.at(x, y);
      bool close = true;
      for (int shift : {16, 8, 0}) {
        close = close && std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                  static_cast<int>((rgb >> shift) & 0xFF)) <= tolerance;
      }
      count += close;
    }
  }
  return count;
}

}  // namespace fleetsync_test
