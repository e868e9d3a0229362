#include "base/ui_message_loop.h"

#include <cassert>

#include "base/poll_message_pump.h"

namespace vbase {

UIMessageLoop::UIMessageLoop() : UIMessageLoop(std::make_shared<PollMessagePump>()) {}

UIMessageLoop::UIMessageLoop(std::shared_ptr<PollMessagePump> pump)
    : MessageLoop(Type::kUI, pump), ui_pump_(pump.get()) {}

UIMessageLoop* UIMessageLoop::current() {
  MessageLoop* loop = MessageLoop::current();
  return loop && loop->type() == Type::kUI ? static_cast<UIMessageLoop*>(loop) : nullptr;
}

void UIMessageLoop::SetNativeEventSource(NativeEventSource* source) {
  assert(OnLoopThread());
  ui_pump_->SetNativeEventSource(source);
}

void UIMessageLoop::PostQuitMessage() {
  assert(OnLoopThread());
  ui_pump_->PostQuitMessage();
}

bool PostQuitMessage() {
  UIMessageLoop* loop = UIMessageLoop::current();
  if (!loop) return false;
  loop->PostQuitMessage();
  return true;
}

}  // namespace vbase
