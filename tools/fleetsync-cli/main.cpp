// fleetsync-cli: brings a fleet of panels to one firmware release without the
// window. See CliUsage() (--help) for options and exit codes.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <set>
#include <vector>

#include "app/address_list.h"
#include "app/config_store.h"
#include "base/text.h"
#include "engine/local_files.h"
#include "platform/ini_file.h"
#include "platform/process.h"
#include "tools/fleetsync-cli/cli_options.h"
#include "tools/fleetsync-cli/fleet_driver.h"

namespace {

constexpr int kUsageExit = 2;

UpgradeSettings LoadSettingsFile(const std::wstring& path) {
  auto text = [&](const wchar_t* key) {
    return platform::GetPrivateProfileString(L"fleet", key, L"", 2048, path);
  };
  UpgradeSettings settings;
  settings.update_file = text(L"update_file");
  settings.boot_logo = text(L"boot_logo");
  settings.version = text(L"version");
  settings.project = text(L"project");
  settings.force_update = platform::GetPrivateProfileInt(L"fleet", L"force_update", 0, path) != 0;
  return settings;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "fleetsync-cli: %s\n", message.c_str());
  return kUsageExit;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseCliOptions(argc, argv, error);
  if (!options) return Fail(error + " (see --help)");
  if (options->help) {
    std::fputs(CliUsage().c_str(), stdout);
    return 0;
  }

  std::wstring settings_path = Utf8ToUtf16(options->settings_path);
  if (options->settings_path.empty()) settings_path = GetSettingsFilePath();
  std::wstring addresses_path = Utf8ToUtf16(options->addresses_path);
  if (options->addresses_path.empty()) addresses_path = GetAddressListPath();
  CliOptions run_options = *options;
  if (!run_options.no_history && run_options.history_path.empty()) {
    run_options.history_path = Utf16ToUtf8(GetHistoryFilePath());
  }
  if (settings_path.empty() || addresses_path.empty()) return Fail("no data folder (set HOME)");
  if (!std::filesystem::is_regular_file(Utf16ToUtf8(settings_path))) {
    return Fail("no settings file " + Utf16ToUtf8(settings_path));
  }

  const UpgradeSettings settings = LoadSettingsFile(settings_path);
  if (settings.version.empty()) return Fail("no target version in the settings");
  if (settings.update_file.empty() && settings.boot_logo.empty()) {
    return Fail("neither an update file nor a boot logo in the settings");
  }
  // Every pass would otherwise stop there, before touching a panel.
  const std::wstring file_problem = StagedFilesProblem(settings);
  if (!file_problem.empty()) return Fail(Utf16ToUtf8(file_problem));
  const std::set<std::wstring> address_set = ReadAddressList(addresses_path);
  if (address_set.empty()) return Fail("no panel address in " + Utf16ToUtf8(addresses_path));
  const std::vector<std::wstring> addresses(address_set.begin(), address_set.end());

  // Hundreds of panels need a socket or pipes each.
  platform::RaiseOpenFileLimit();

  // Blocked before any thread starts, so only RunFleet's sigtimedwait sees them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  try {
    return RunFleet(settings, addresses, run_options, stop_signals, stdout);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "fleetsync-cli: %s\n", failure.what());
    return 1;
  }
}
