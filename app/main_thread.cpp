#include "app/main_thread.h"

#include <cstdio>

#include "app/basic_form.h"
#include "app/stop_signal_source.h"
#include "base/thread_registry.h"
#include "base/ui_message_loop.h"
#include "platform/x11/x11_display.h"
#include "ui/host/x11_window_host.h"
#include "ui/animation/ui_timers.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

namespace {

constexpr int kUiThread = 0;

void Fail(const char* message) { std::fprintf(stderr, "fleetsync: %s\n", message); }

}  // namespace

MainThread::MainThread() : FrameworkThread(L"MainThread") {}

MainThread::~MainThread() { Stop(); }

void MainThread::Init() {
  registered_ = vbase::ThreadRegistry::RegisterThread(kUiThread);
  // Without the package the framework reads the same paths from disk.
  if (ui::ResourcePackage::IsOpen()) ui::ResourcePackage::Close();
  ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize(), "");
  const bool display_open = OpenDisplay();
  // The UI scale follows the screen the program shows on.
  ui::StartupOptions options;
  if (display_open) options.system_dpi = display_->GetDpi();
  ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN", options);

  if (!display_open) {
    Fail("cannot open the X display (is DISPLAY set?)");
  } else if (!CreateMainWindow()) {
    Fail("the main window cannot be created");
  } else {
    return;
  }
  exit_code_ = 1;
  vbase::PostQuitMessage();  // ends the run as soon as it starts
}

bool MainThread::OpenDisplay() {
  display_ = platform::x11::Display::Open();
  if (!display_) return false;
  window_system_ = std::make_unique<ui::X11WindowSystem>(*display_);
  event_source_ = StopSignalSource::Create(*display_, [this] { OnStopSignal(); });
  vbase::UIMessageLoop* loop = vbase::UIMessageLoop::current();
  if (!loop) return false;
  // Without the signal descriptors a stop signal keeps its default action.
  if (event_source_) loop->SetNativeEventSource(event_source_.get());
  else loop->SetNativeEventSource(display_.get());
  timers_ = std::make_unique<ui::UiTimerScope>();
  return true;
}

bool MainThread::CreateMainWindow() {
  auto* form = new BasicForm;
  if (!form->Create(*window_system_, nullptr, kWindowClassName)) {
    delete form;
    return false;
  }
  form_ = form;
  form_alive_ = form->GetWeakFlag();
  form->SetIcon(L"device.png");  // the panel picture doubles as the program's icon
  form->CenterWindow();
  form->ShowWindow(true, true);
  return true;
}

void MainThread::OnStopSignal() {
  if (BasicForm* form = live_form()) {
    form->Close(0);  // a close already under way ignores this
  } else {
    vbase::PostQuitMessage();
  }
}

void MainThread::Cleanup() {
  // The quit can overtake the native window's destruction; the window must
  // go while the display and the framework it uses are still there.
  if (BasicForm* form = live_form()) delete form;
  form_ = nullptr;
  timers_.reset();
  if (vbase::UIMessageLoop* loop = vbase::UIMessageLoop::current()) {
    loop->SetNativeEventSource(nullptr);
  }
  event_source_.reset();
  window_system_.reset();
  display_.reset();
  ui::Shutdown();
  ui::ResourcePackage::Close();
  if (registered_) vbase::ThreadRegistry::UnregisterThread();
  registered_ = false;
}
