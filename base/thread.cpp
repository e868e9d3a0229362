#include "base/thread.h"

#include <system_error>

namespace vbase {

Thread::~Thread() { Join(); }

bool Thread::Create() {
  if (thread_.joinable()) return false;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void Thread::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace vbase
