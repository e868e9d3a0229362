#include "engine/command_runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "engine/child_registry.h"
#include "engine/process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::chrono_literals;

// A private folder for files and fake programs, and a PATH that can be
// changed for the test and is restored afterwards.
class RunnerTest : public ::testing::Test {
 protected:
  std::wstring WideFolder() const { return std::wstring(folder_.begin(), folder_.end()); }

  fleetsync_test::TempFolder temp_{"fleetsync-runner"};
  const std::string folder_ = temp_.path();
  fleetsync_test::ScopedEnv path_{"PATH"};
};

std::string ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "(no exception)";
}

long OpenDescriptorCount() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

void WaitForFile(const std::string& path) {
  ASSERT_TRUE(fleetsync_test::WaitUntil([&] { return std::filesystem::exists(path); }, 30s)) << path;
}

// ---- What a child does, and what RunCommand reports ----

TEST_F(RunnerTest, ReportsSilentFailingKilledStderrOnlyAndLongChildrenTruthfully) {
  EXPECT_EQ(RunCommand(L"/bin/true").output, L"");
  EXPECT_EQ(RunCommand(L"/bin/true").exit_code, 0);
  EXPECT_EQ(RunCommand(L"/bin/sh -c \"exit 7\"").exit_code, 7);
  const CommandResult killed = RunCommand(L"/bin/sh -c \"echo before; kill -KILL $$\"");
  EXPECT_EQ(killed.exit_code, 137);
  EXPECT_EQ(killed.output, L"before\n");
  EXPECT_EQ(RunCommand(L"/bin/sh -c \"echo 出错了 >&2; exit 2\"").output, L"出错了\n");
  EXPECT_EQ(RunCommand(L"/bin/sh -c \"echo 1; echo 2 >&2; echo 3\"").output, L"1\n2\n3\n");
  EXPECT_EQ(RunCommand(L"/bin/sh -c \"head -c 3000000 /dev/zero | tr '\\0' a\"").output,
            std::wstring(3000000, L'a'));
}

TEST_F(RunnerTest, MissingProgramIsAStartFailureNotAHang) {
  for (const wchar_t* line : {L"fleetsync-no-such-program --version", L"/nonexistent/adb devices", L"", L"  \"\"  "}) {
    EXPECT_EQ(ErrorOf([&] { RunCommand(line); }), "can not create process, error(-5)") << line;
  }
}

TEST_F(RunnerTest, UnreadableExitIsReportedNotInvented) {
  // With SIGCHLD ignored the kernel reaps children itself: there is no exit
  // code to read, and the runner must say so rather than return one.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous {};
  sigaction(SIGCHLD, &ignore, &previous);
  const std::string error = ErrorOf([] { RunCommand(L"/bin/sh -c \"exit 3\""); });
  sigaction(SIGCHLD, &previous, nullptr);
  EXPECT_EQ(error, "wait for exit failed, error(-2)");
}

TEST_F(RunnerTest, RunsArgvWithoutAShell) {
  EXPECT_EQ(RunCommand(L"/bin/echo \"a  b\" c;d $HOME `id` >x").output, L"a  b c;d $HOME `id` >x\n");
  EXPECT_FALSE(std::filesystem::exists("x"));
}

TEST_F(RunnerTest, ChildInputIsAPipeThatNeitherDeliversNorEnds) {
  EXPECT_EQ(RunCommand(L"/usr/bin/readlink /proc/self/fd/0").output.rfind(L"pipe:", 0), 0u);
  // cat would exit 0 at end of input; it is still waiting when timeout ends it.
  const CommandResult r = RunCommand(L"timeout 0.3 cat");
  EXPECT_EQ(r.exit_code, 124);
  EXPECT_EQ(r.output, L"");
}

// ---- Decoding the output stream ----

// cat writes a small file in one write, so the first read takes exactly 1024
// bytes and the boundary falls where the test puts it.
TEST_F(RunnerTest, CharacterSplitByTheReadBoundaryStaysWholeAndBadBytesDropOnlyTheirRead) {
  for (std::size_t before : {1021u, 1022u, 1023u}) {
    const std::string file = temp_.Write("split", std::string(before, 'a') + "升\xF0\x9F\x98\x80级tail");
    const CommandResult r = RunCommand(L"cat " + WideFolder() + L"/split");
    std::wstring expected(before, L'a');
    expected += L"升";
    expected += wchar_t(0x1F600);
    expected += L"级tail";
    EXPECT_EQ(r.output, expected) << before;
  }
  // Invalid bytes drop only their own read.
  temp_.Write("bad", std::string(1023, 'a') + "\xFF" + std::string(1024, 'b') + "ok");
  EXPECT_EQ(RunCommand(L"cat " + WideFolder() + L"/bad").output, std::wstring(1024, L'b') + L"ok");
  temp_.Write("cut", "whole\xE5\x8D");  // a character cut off by the end of the stream
  EXPECT_EQ(RunCommand(L"cat " + WideFolder() + L"/cut").output, L"whole");
}

// ---- Resources ----

// A leak shows in the first runs already; the long run is the soak's.
TEST_F(RunnerTest, RepeatedRunsLeakNoDescriptorAndNoChild) {
  const long before = OpenDescriptorCount();
  for (int i = 0; i < 3; ++i) {
    ASSERT_THROW(RunCommand(L"fleetsync-no-such-program"), std::runtime_error);
    ASSERT_EQ(RunCommand(L"/bin/true").exit_code, 0);
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // nothing left to reap
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(RunnerTest, ProcessKillsAndReapsAChildItWasNotWaitedFor) {
  pid_t pid = -1;
  {
    Process process;
    ASSERT_EQ(process.Start(L"sleep 100"), 0);
    pid = process.pid();
    EXPECT_EQ(getpgid(pid), pid);
  }
  EXPECT_EQ(kill(pid, 0), -1);  // neither running nor a zombie
  Process failed;
  EXPECT_EQ(failed.Start(L"fleetsync-no-such-program"), Process::kSpawnFailed);
  EXPECT_EQ(failed.output_fd(), -1);
}

TEST_F(RunnerTest, ProcessStartsInItsWorkingDirectoryAndCloseEndsTheInput) {
  Process process(WideFolder());
  ASSERT_EQ(process.Start(std::vector<std::string>{"/bin/sh", "-c", "cat; pwd > where"}), 0);
  process.Close();  // cat sees the end of its input
  int code = -1;
  ASSERT_TRUE(process.WaitForExit(code));
  EXPECT_EQ(code, 0);
  std::string where;
  std::getline(std::ifstream(folder_ + "/where"), where);
  EXPECT_EQ(where, folder_);
  EXPECT_FALSE(process.WaitForExit(code));
}

// ---- Ending children ----

// What a child forked goes with it (the whole process group).
TEST_F(RunnerTest, EndAllChildrenEndsEveryChildButRefusesNothing) {
  std::vector<int> codes(3, -1);
  std::atomic<int> ended{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 3; ++i) {
    threads.emplace_back([&, i] {
      const std::wstring script = L"touch " + WideFolder() + L"/" + std::to_wstring(i) + L"; sleep 100 & exec sleep 100";
      codes[i] = RunCommand(L"/bin/sh -c \"" + script + L"\"").exit_code;
      ++ended;
    });
  }
  for (int i = 0; i < 3; ++i) WaitForFile(folder_ + "/" + std::to_string(i));
  // A child can run before its start is registered; a stop ends children
  // until its workers are gone, and so does this.
  while (ended < 3) {
    EndAllChildren();
    std::this_thread::sleep_for(10ms);
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(codes, (std::vector<int>{137, 137, 137}));
  EXPECT_EQ(RunCommand(L"/bin/echo again").output, L"again\n");
}

// ---- adb ----

// A child that is still running at its deadline is killed and the cut says
// why; nothing else could end it.
TEST_F(RunnerTest, DeadlineEndsAChildAndSaysWhy) {
  try {
    RunCommand(L"sleep 600", 200ms);
    ADD_FAILURE() << "not cut";
  } catch (const CommandInterrupted& cut) {
    EXPECT_EQ(cut.reason(), CutReason::kDeadline);
    EXPECT_STREQ(cut.what(), "sleep 600: no answer within 200 ms");
  }
}

TEST_F(RunnerTest, AdbBesideTheProgramComesFirstAndNoAdbAtAllIsReported) {
  const std::string on_path = temp_.Write("bin/adb", "", 0755);
  setenv("PATH", (folder_ + "/bin:/usr/bin:/bin").c_str(), 1);
  const std::string beside = temp_.Write("prog/adb/adb", "", 0755);
  EXPECT_EQ(LocateAdb(folder_ + "/prog/"), beside);
  EXPECT_EQ(LocateAdb(folder_ + "/elsewhere/"), on_path);
  EXPECT_EQ(LocateAdb(""), on_path);

  std::filesystem::create_directory(folder_ + "/empty");
  setenv("PATH", (folder_ + "/empty").c_str(), 1);
  EXPECT_EQ(ErrorOf([&] { LocateAdb(folder_ + "/elsewhere/"); }), "adb not found");
  EXPECT_EQ(ErrorOf([] { StartAdbServer(1s); }), "adb not found");
}

// ---- Reading ifconfig output ----

// The interface's own line is read (the fake adb's and the simulator's
// listings show the usual case through whole passes); names are exact.
TEST(ExtractInterfaceMac, TakesTheRestOfTheInterfaceLineAfterHWaddr) {
  EXPECT_EQ(ExtractInterfaceMac(L"eth0 HWaddr 0a\neth1 HWaddr 1b\r\n", L"eth1"), L"1b");
  EXPECT_EQ(ExtractInterfaceMac(L"eth0 HWaddr 0a", L"ETH0"), L"");
  EXPECT_EQ(ExtractInterfaceMac(L"\n\n\neth0 HWaddr  aa HWaddr bb", L"eth0"), L"aa HWaddr bb");
  // Empty when no line names both.
  EXPECT_EQ(ExtractInterfaceMac(L"eth0 Link encap:Ethernet\n   HWaddr 00:11:22:33:44:55\n", L"eth0"), L"");
  EXPECT_EQ(ExtractInterfaceMac(L"eth0 HWaddr", L"eth0"), L"");
}

}  // namespace
