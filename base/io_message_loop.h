// IOMessageLoop: a loop whose thread sleeps in poll() (PollMessagePump, with
// no native event source) rather than on a condition variable. Same contract
// as MessageLoop.
#pragma once

#include <memory>

#include "base/message_loop.h"
#include "base/poll_message_pump.h"

namespace vbase {

class IOMessageLoop final : public MessageLoop {
 public:
  IOMessageLoop() : MessageLoop(Type::kIO, std::make_shared<PollMessagePump>()) {}
};

}  // namespace vbase
