#include "base/framework_thread.h"

#include <utility>

#include "base/io_message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/thread_tls_data.h"
#include "base/ui_message_loop.h"

namespace vbase {

FrameworkThread::FrameworkThread(std::wstring name) : name_(std::move(name)) {}

FrameworkThread::~FrameworkThread() { Stop(); }

void FrameworkThread::RunOnCurrentThreadWithLoop(MessageLoop::Type type) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return;
    running_ = true;
    type_ = type;
  }
  Run();
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = false;
  started_ = false;
}

bool FrameworkThread::Start(MessageLoop::Type type) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return false;
    running_ = true;
    type_ = type;
  }
  if (!Create()) {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    return false;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  started_cv_.wait(lock, [this] { return started_; });
  started_ = false;
  return true;
}

void FrameworkThread::Stop() {
  std::shared_ptr<MessageLoopProxy> proxy;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_ || stopping_) return;
    stopping_ = true;
    proxy = proxy_;
  }
  if (proxy) {
    // Fails harmlessly when the loop has already ended by itself.
    proxy->PostNonNestableTask(ToWeakCallback([] {
      if (MessageLoop* loop = MessageLoop::current()) loop->Quit();
      ThreadTlsData::Current().quit_properly = true;
    }));
  }
  Join();
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = false;
  stopping_ = false;
}

bool FrameworkThread::IsRunning() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_;
}

FrameworkThread* FrameworkThread::current() { return ThreadTlsData::Current().self; }

std::shared_ptr<MessageLoopProxy> FrameworkThread::message_loop_proxy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return proxy_;
}

std::unique_ptr<MessageLoop> FrameworkThread::CreateMessageLoop(MessageLoop::Type type) {
  switch (type) {
    case MessageLoop::Type::kUI:
      return std::make_unique<UIMessageLoop>();
    case MessageLoop::Type::kIO:
      return std::make_unique<IOMessageLoop>();
    case MessageLoop::Type::kDefault:
      break;
  }
  return std::make_unique<MessageLoop>();
}

void FrameworkThread::Run() {
  ThreadTlsData& tls = ThreadTlsData::Current();
  tls.self = this;
  tls.quit_properly = false;

  std::unique_ptr<MessageLoop> loop = CreateMessageLoop(type_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    proxy_ = loop->message_loop_proxy();
  }
  Init();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = true;
  }
  started_cv_.notify_all();

  loop->Run();
  Cleanup();

  {
    std::lock_guard<std::mutex> lock(mutex_);
    proxy_.reset();
  }
  loop.reset();
  tls.Reset();
}

}  // namespace vbase
