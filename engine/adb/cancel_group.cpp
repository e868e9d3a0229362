#include "engine/adb/cancel_group.h"

#include <sys/socket.h>

#include <algorithm>

namespace adb {

void CancelGroup::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_.store(true, std::memory_order_release);
  for (const int fd : members_) ::shutdown(fd, SHUT_RDWR);
}

bool CancelGroup::Join(int socket_fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (IsCancelled()) return false;
  members_.push_back(socket_fd);
  return true;
}

void CancelGroup::Leave(int socket_fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto member = std::find(members_.begin(), members_.end(), socket_fd);
  if (member != members_.end()) members_.erase(member);
}

}  // namespace adb
