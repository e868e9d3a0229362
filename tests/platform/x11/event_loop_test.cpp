// The display as the UI loop's native event source: X events and posted
// tasks served on one thread.
#include <gtest/gtest.h>

#include <thread>

#include "base/message_loop_proxy.h"
#include "base/ui_message_loop.h"
#include "platform/x11/native_window.h"
#include "tests/platform/x11/x11_test_support.h"

namespace platform::x11 {
namespace {

using testing::RecordingListener;

TEST(EventLoopTest, XEventsAndTasksFromOtherThreadsRunOnTheUiThread) {
  SKIP_WITHOUT_DISPLAY();
  vbase::UIMessageLoop loop;
  auto display = testing::OpenDisplay();
  ASSERT_NE(display, nullptr);
  loop.SetNativeEventSource(display.get());

  const std::thread::id ui_thread = std::this_thread::get_id();
  std::vector<std::thread::id> seen;
  std::thread worker;
  bool task_ran = false, timed_out = false;
  std::unique_ptr<NativeWindow> window;
  RecordingListener listener;

  listener.on_event = [&](const WindowEvent& e) {
    if (e.type == EventType::kExpose && !worker.joinable()) {
      seen.push_back(std::this_thread::get_id());
      // A worker posts; the task moves the window; its ConfigureNotify ends the run.
      worker = std::thread([proxy = loop.message_loop_proxy(), &seen, &task_ran, &window] {
        proxy->PostTask([&] {
          seen.push_back(std::this_thread::get_id());
          task_ran = true;
          window->Move(321, 123);
        });
      });
    } else if (e.type == EventType::kConfigure && task_ran) {
      seen.push_back(std::this_thread::get_id());
      vbase::PostQuitMessage();
    }
  };
  window = NativeWindow::Create(*display, testing::Options("loop", "FleetSyncLoop"), &listener);
  ASSERT_NE(window, nullptr);
  window->Show(true);
  loop.PostDelayedTask([&] {
    timed_out = true;
    vbase::PostQuitMessage();
  }, vbase::TimeDelta::FromSeconds(10));
  loop.Run();
  if (worker.joinable()) worker.join();

  EXPECT_FALSE(timed_out);
  ASSERT_EQ(seen.size(), 3u);
  for (const auto& id : seen) EXPECT_EQ(id, ui_thread);
  EXPECT_EQ(window->bounds().x, 321);
  window.reset();
  loop.SetNativeEventSource(nullptr);
}

}  // namespace
}  // namespace platform::x11
