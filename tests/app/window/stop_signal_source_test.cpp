// Stop signals arrive as events of the UI loop: the wrapped source is still
// served, each signal runs the callback once on the loop thread, and the
// signals stay blocked, so the default action never ends the process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <thread>

#include "app/stop_signal_source.h"
#include "base/ui_message_loop.h"
#include "tests/support/run_loop_until.h"

namespace {

// A native source whose descriptor the test makes readable.
class FakeSource : public vbase::NativeEventSource {
 public:
  FakeSource() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~FakeSource() override { close(fd_); }
  int GetFd() const override { return fd_; }
  bool DispatchNativeEvents() override {
    uint64_t value = 0;
    if (read(fd_, &value, sizeof value) != sizeof value) return false;
    events += static_cast<int>(value);
    return true;
  }
  void Raise() {
    const uint64_t one = 1;
    ASSERT_EQ(write(fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
  }
  int events = 0;

 private:
  int fd_;
};

class StopSignalSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, nullptr, &saved_mask_);
    StopSignalSource::BlockStopSignals();
  }
  void TearDown() override {
    // Nothing may stay pending for the next test once the mask is back.
    sigset_t pending;
    sigpending(&pending);
    ASSERT_FALSE(sigismember(&pending, SIGTERM));
    ASSERT_FALSE(sigismember(&pending, SIGINT));
    pthread_sigmask(SIG_SETMASK, &saved_mask_, nullptr);
  }

  // Runs the loop until `done` holds or 5 s pass.
  bool RunUntil(const std::function<bool()>& done) {
    return fleetsync_test::RunLoopUntil(loop_, done);
  }

  vbase::UIMessageLoop loop_;
  sigset_t saved_mask_;
};

TEST_F(StopSignalSourceTest, EachSignalRunsTheCallbackOnTheLoopThreadAndTheWrappedSourceStillRuns) {
  FakeSource wrapped;
  int stops = 0;
  const std::thread::id loop_thread = std::this_thread::get_id();
  bool on_loop_thread = true;
  auto source = StopSignalSource::Create(wrapped, [&] {
    ++stops;
    on_loop_thread = on_loop_thread && std::this_thread::get_id() == loop_thread;
  });
  ASSERT_NE(source, nullptr);
  loop_.SetNativeEventSource(source.get());

  wrapped.Raise();
  EXPECT_TRUE(RunUntil([&] { return wrapped.events == 1; }));
  EXPECT_EQ(stops, 0);

  raise(SIGTERM);  // blocked: it waits for the loop instead of ending the test
  EXPECT_TRUE(RunUntil([&] { return stops == 1; }));
  raise(SIGINT);
  wrapped.Raise();
  EXPECT_TRUE(RunUntil([&] { return stops == 2 && wrapped.events == 2; }));
  EXPECT_TRUE(on_loop_thread);
  loop_.SetNativeEventSource(nullptr);
}

TEST_F(StopSignalSourceTest, ThreadsStartedAfterBlockingNeverTakeTheSignal) {
  FakeSource wrapped;
  int stops = 0;
  auto source = StopSignalSource::Create(wrapped, [&] { ++stops; });
  ASSERT_NE(source, nullptr);
  loop_.SetNativeEventSource(source.get());
  // Sent to the process while another thread runs: only the loop sees it.
  std::thread other([] { kill(getpid(), SIGTERM); });
  other.join();
  EXPECT_TRUE(RunUntil([&] { return stops == 1; }));
  loop_.SetNativeEventSource(nullptr);
}

}  // namespace
