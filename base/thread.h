// Thread: an operating-system thread whose body is the virtual Run().
//
// Threads: Create, Join and the destructor are called by the owner, on one
// thread. The destructor joins a thread that is still running; a derived
// class whose Run uses its own members must join in its own destructor,
// before those members go.
#pragma once

#include <thread>

namespace vbase {

class Thread {
 public:
  Thread() = default;
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts the thread running Run(). False if it was already started or the
  // system could not start a thread.
  bool Create();
  // Waits until Run has returned. Does nothing if no thread is held or when
  // called on the thread itself.
  void Join();
  bool joinable() const { return thread_.joinable(); }
  std::thread::id thread_id() const { return thread_.get_id(); }

 protected:
  virtual void Run() {}

 private:
  std::thread thread_;
};

}  // namespace vbase
