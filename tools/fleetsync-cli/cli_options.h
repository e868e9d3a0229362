// Command-line options of fleetsync-cli.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct CliOptions {
  std::string settings_path;  // empty: settings.ini of the data folder
  std::string addresses_path; // empty: ip.txt of the data folder
  bool once = false;
  std::chrono::seconds unreachable_timeout{120};
  int attempts = 3;
  bool verbose = false;       // every state report, and the diagnostic line on stderr
  std::string history_path;   // empty: history.csv of the data folder
  bool no_history = false;    // keep no fleet record
  bool summary = false;       // the outcome table at the end of --once
  bool help = false;
};

// The options, or nullopt with `error` set to a one-line reason.
std::optional<CliOptions> ParseCliOptions(int argc, const char* const* argv, std::string& error);

// The text --help prints.
std::string CliUsage();
