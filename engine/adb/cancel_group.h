// Ending the adb operations started on behalf of one owner (a device row).
//
// While an operation has a connection to the adb server open, that
// connection is a member of the operation's group. Cancelling the group shuts
// every member down, so a blocked read or write returns at once and the
// operation reports itself cancelled. Cancelling is persistent: every later
// operation with the group ends before it connects. Nothing is killed: the
// server and everybody else's connections to it go on.
//
// Threads: any thread, any time. A group must outlive every operation given it.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

namespace adb {

class CancelGroup {
 public:
  CancelGroup() = default;
  CancelGroup(const CancelGroup&) = delete;
  CancelGroup& operator=(const CancelGroup&) = delete;

  // Shuts down every member now and refuses later ones. Idempotent.
  void Cancel();
  bool IsCancelled() const { return cancelled_.load(std::memory_order_acquire); }

  // For the connection that owns `socket_fd`: false (and not a member) when the
  // group is cancelled already. A member leaves before its socket is closed,
  // so Cancel never touches a descriptor number that was reused.
  bool Join(int socket_fd);
  void Leave(int socket_fd);

 private:
  std::mutex mutex_;
  std::vector<int> members_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace adb
