// fleetsync: the batch upgrade tool's window. Command-line arguments are
// ignored; the configuration lives in the data folder (see config_store.h).
#include "app/main_thread.h"
#include "app/stop_signal_source.h"
#include "base/message_loop.h"
#include "platform/process.h"

int main() {
  // Before any thread exists, so that no thread can take a stop signal with
  // its default action; the UI loop reads them instead.
  StopSignalSource::BlockStopSignals();
  // Hundreds of rows need a socket or pipes each.
  platform::RaiseOpenFileLimit();
  MainThread main_thread;
  main_thread.RunOnCurrentThreadWithLoop(vbase::MessageLoop::Type::kUI);
  return main_thread.exit_code();
}
