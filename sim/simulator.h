// The simulator process: a loop, the panels of a scenario, and the stop
// conditions (time limit, SIGTERM/SIGINT). Runs on the calling thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/event_loop.h"
#include "sim/panel.h"
#include "sim/scenario.h"

namespace sim {

class Simulator {
 public:
  Simulator(std::vector<PanelConfig> panels, std::string state_dir);
  ~Simulator();

  // Starts every panel; throws std::runtime_error when one cannot listen.
  void Start();
  // Runs until the time limit (seconds, <= 0: none) or a stop signal.
  void Run(double time_limit_seconds);
  EventLoop& loop() { return loop_; }

 private:
  EventLoop loop_;  // first: panels unregister from it when they go
  std::vector<PanelConfig> configs_;
  std::string state_dir_;
  std::vector<std::unique_ptr<Panel>> panels_;
  platform::UniqueFd signals_;
};

}  // namespace sim
