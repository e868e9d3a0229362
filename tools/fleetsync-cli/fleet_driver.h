// Runs one DeviceWorker per panel address until every panel is final (--once)
// or a stop signal arrives, printing one line per state change.
//
// Threads: Run() on the calling thread, which must have the stop signals
// blocked (so must every thread started before it), because it waits for them
// with sigtimedwait. Workers report on their own threads; printing is
// serialised. On the way out every worker is stopped (its adb children killed,
// new ones refused), every remaining child of this program is killed, and
// every thread is joined before Run() returns.
#pragma once

#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/upgrade_settings.h"
#include "tools/fleetsync-cli/cli_options.h"

// Exit status when a stop signal ended the run.
inline constexpr int kInterruptedExit = 130;

int RunFleet(const UpgradeSettings& settings, const std::vector<std::wstring>& addresses,
             const CliOptions& options, const sigset_t& stop_signals, std::FILE* out);
