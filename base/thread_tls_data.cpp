#include "base/thread_tls_data.h"

#include "base/thread_registry.h"

namespace vbase {

ThreadTlsData& ThreadTlsData::Current() {
  thread_local ThreadTlsData data;
  return data;
}

void ThreadTlsData::Reset() {
  ThreadRegistry::Forget(*this);
  self = nullptr;
  quit_properly = false;
}

}  // namespace vbase
