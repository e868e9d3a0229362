// Kills a process that saves the settings over and over, at random moments,
// and checks after every kill that settings.ini holds one whole save: the
// last one or an earlier one, never a mix of two and never a cut-off file.
//
//   build/tools/fleetsync-save-stress [ROUNDS] [SEED]     (default 60 rounds)
//
// Works in a temporary data folder of its own. Exit status 0 when every
// round held, 1 at the first that did not.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/config_store.h"
#include "base/text.h"

namespace fs = std::filesystem;

namespace {

// A record that carries its generation in every field, long enough that a
// write takes several system calls.
UpgradeSettings NumberedSettings(long generation) {
  const std::wstring n = std::to_wstring(generation);
  UpgradeSettings settings;
  settings.update_file = L"/固件/" + n + L"/" + std::wstring(1500, L'u') + L".img";
  settings.boot_logo = L"/logo/" + n + L"/" + std::wstring(700, L'b') + L".JPG";
  settings.version = L"1.0." + n;
  settings.project = L"项目 " + n + L" " + std::wstring(300, L'p');
  settings.force_update = generation % 2 == 1;
  return settings;
}

// The bytes a save of `s` leaves in a file that held nothing else.
std::string Serialized(const UpgradeSettings& s) {
  return "[fleet]\nupdate_file=" + Utf16ToUtf8(s.update_file) + "\nboot_logo=" +
         Utf16ToUtf8(s.boot_logo) + "\nversion=" + Utf16ToUtf8(s.version) + "\nproject=" +
         Utf16ToUtf8(s.project) + "\nforce_update=" + (s.force_update ? "1" : "0") + "\n";
}

std::string ReadBytes(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// Starts a child that saves generations `first`, `first` + 1, ... until it
// is killed; returns once the first save is on disk (-1 if it never was).
pid_t StartSaver(long first) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    for (long generation = first;; ++generation) {
      if (!SaveUpgradeSettings(NumberedSettings(generation))) _exit(1);
      if (generation == first && write(ready[1], "r", 1) != 1) _exit(1);
    }
  }
  close(ready[1]);
  char byte = 0;
  const bool saved = pid > 0 && read(ready[0], &byte, 1) == 1;
  close(ready[0]);
  if (pid > 0 && !saved) waitpid(pid, nullptr, 0);
  return saved ? pid : -1;
}

bool Fail(int round, const std::string& what) {
  std::fprintf(stderr, "round %d: %s\n", round, what.c_str());
  return false;
}

bool RunRounds(int rounds, std::mt19937& random, const fs::path& file) {
  if (!SaveUpgradeSettings(NumberedSettings(0))) return Fail(0, "the first save failed");
  long last = 0;
  for (int round = 1; round <= rounds; ++round) {
    const pid_t saver = StartSaver(last + 1);
    if (saver < 0) return Fail(round, "the saver ended before its first save");
    usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(random));
    kill(saver, SIGKILL);
    int status = 0;
    waitpid(saver, &status, 0);
    if (!WIFSIGNALED(status)) return Fail(round, "the saver stopped by itself: a save failed");

    const std::wstring version = LoadUpgradeSettings().version;
    if (version.rfind(L"1.0.", 0) != 0) return Fail(round, "no whole record: " + Utf16ToUtf8(version));
    const long generation = std::stol(version.substr(4));
    if (generation <= last) return Fail(round, "an older record than the last round's");
    if (ReadBytes(file) != Serialized(NumberedSettings(generation)))
      return Fail(round, "the file is not one whole save");
    last = generation;
  }
  std::printf("%d rounds, %ld saves, every file whole\n", rounds, last);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 60;
  std::mt19937 random(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : std::random_device{}());

  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/fleetsync-save-stress-XXXXXX";
  if (!mkdtemp(folder.data())) return 1;
  setenv("XDG_DATA_HOME", folder.c_str(), 1);
  const bool held = RunRounds(rounds, random, fs::path(folder) / "Lumora/FleetSync/settings.ini");
  fs::remove_all(folder);
  return held ? 0 : 1;
}
