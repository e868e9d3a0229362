#include "tools/fleetsync-cli/cli_options.h"

#include <charconv>
#include <cstring>

namespace {

bool ParsePositive(const char* text, long long& value) {
  const char* end = text + std::strlen(text);
  auto [rest, failure] = std::from_chars(text, end, value);
  return failure == std::errc() && rest == end && value > 0;
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(int argc, const char* const* argv, std::string& error) {
  CliOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char*& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    const char* text = nullptr;
    long long number = 0;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--once") {
      options.once = true;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--no-history") {
      options.no_history = true;
    } else if (arg == "--summary") {
      options.summary = true;
    } else if (arg == "--settings" || arg == "--ips" || arg == "--history") {
      if (!value(text)) return std::nullopt;
      (arg == "--settings" ? options.settings_path
       : arg == "--ips"    ? options.addresses_path
                           : options.history_path) = text;
    } else if (arg == "--timeout" || arg == "--attempts") {
      if (!value(text)) return std::nullopt;
      if (!ParsePositive(text, number) || number > 1'000'000) {
        error = arg + " needs a positive whole number, not '" + text + "'";
        return std::nullopt;
      }
      if (arg == "--timeout") options.unreachable_timeout = std::chrono::seconds(number);
      else options.attempts = static_cast<int>(number);
    } else {
      error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (options.summary && !options.once) {
    error = "--summary needs --once";
    return std::nullopt;
  }
  return options;
}

std::string CliUsage() {
  return
      "Usage: fleetsync-cli [options]\n"
      "Brings every panel of the address list to the configured firmware, running\n"
      "one upgrade pass per panel about once a second, and prints one line per\n"
      "state change: address, clock time, state (progress while upgrading).\n"
      "\n"
      "  --settings FILE  settings file (default: settings.ini of the data folder)\n"
      "  --ips FILE       address list (default: ip.txt of the data folder)\n"
      "  --once           stop when every panel has reached a final state and print\n"
      "                   one summary line per panel:\n"
      "                     done        at the target version (\"已经是最新版本\"), or\n"
      "                                 finished by a forced upgrade of this run\n"
      "                     skipped     project differs, no version, newer version\n"
      "                     failed      --attempts passes in a row ended in an error\n"
      "                                 or a failed upgrade, or upgrades reported\n"
      "                                 success twice without changing the version\n"
      "                     unreachable never answered within --timeout\n"
      "                     lost        answered, then stayed unreachable for\n"
      "                                 --timeout (e.g. did not come back after an\n"
      "                                 upgrade)\n"
      "  --timeout SEC    unreachable time before giving up a panel (default 120)\n"
      "  --attempts N     failed passes in a row before giving up (default 3)\n"
      "  --verbose        print every state report, not only changes (each pass\n"
      "                   from its \"正在连接...\" on), and the per-pass diagnostic\n"
      "                   line to stderr (which FLEETSYNC_DEBUG=1 also turns on)\n"
      "  --history FILE   fleet record (default: history.csv of the data folder):\n"
      "                     one CSV line per change of a panel's outcome and per\n"
      "                     upgrade staged; a file that cannot be written costs\n"
      "                     one line on stderr, never an upgrade\n"
      "  --no-history     keep no fleet record\n"
      "  --summary        with --once: at the end, a table of the panels per\n"
      "                     outcome (\"upgraded\": upgraded in this run and\n"
      "                     confirmed at the target version) and every panel\n"
      "                     that is not done\n"
      "  --help           this text\n"
      "\n"
      "Every adb command is bounded (30 s for an answer, a push 60 s without\n"
      "progress, the followed log 30 min), so a --once run always ends.\n"
      "Without --once the driver runs until Ctrl-C or SIGTERM; either ends every\n"
      "adb command it started (the adb server keeps running) and exits 130.\n"
      "Exit status with --once:\n"
      "  0  every panel is done or skipped\n"
      "  1  at least one panel failed\n"
      "  3  none failed, but some were unreachable or lost (see their summary lines)\n"
      "  2  a usage or configuration error (nothing was run)\n";
}
