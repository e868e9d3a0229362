// ThreadTlsData: what the base library keeps about the calling thread: the
// FrameworkThread it runs, how its loop ended, and its registry entry.
//
// Each thread has its own (thread-local) record and only that thread touches
// it. When the thread ends, or its FrameworkThread run finishes, the record is
// reset and a registry entry still held is removed, so no identifier is left
// pointing at a thread that is gone.
#pragma once

namespace vbase {

class FrameworkThread;

struct ThreadTlsData {
  ThreadTlsData() = default;
  ~ThreadTlsData() { Reset(); }
  ThreadTlsData(const ThreadTlsData&) = delete;
  ThreadTlsData& operator=(const ThreadTlsData&) = delete;

  // The calling thread's record.
  static ThreadTlsData& Current();
  // Drops the registry entry, if any, and clears every field.
  void Reset();

  FrameworkThread* self = nullptr;
  bool quit_properly = false;  // the loop ended through FrameworkThread::Stop
  int managed = 0;             // how many times the thread registered itself
  int managed_thread_id = -1;  // its registry identifier, -1 when none
};

}  // namespace vbase
