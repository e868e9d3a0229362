#include "sim/simulator.h"

#include <signal.h>
#include <sys/epoll.h>
#include <sys/signalfd.h>

#include <filesystem>
#include <stdexcept>

namespace sim {

Simulator::Simulator(std::vector<PanelConfig> panels, std::string state_dir)
    : configs_(std::move(panels)), state_dir_(std::move(state_dir)) {}

Simulator::~Simulator() {
  panels_.clear();
  if (signals_.valid()) loop_.Unwatch(signals_.get());
}

void Simulator::Start() {
  std::error_code error;
  std::filesystem::create_directories(state_dir_, error);
  if (error) throw std::runtime_error("cannot create " + state_dir_ + ": " + error.message());
  for (PanelConfig& config : configs_) {
    RequireLoopback(config.address);
    panels_.push_back(std::make_unique<Panel>(loop_, std::move(config), state_dir_));
    panels_.back()->Start();
  }
  configs_.clear();

  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  signals_.Reset(signalfd(-1, &stop_signals, SFD_NONBLOCK | SFD_CLOEXEC));
  if (signals_.valid())
    loop_.Watch(signals_.get(), EPOLLIN, [this](uint32_t) { loop_.Quit(); });
}

void Simulator::Run(double time_limit_seconds) {
  const int64_t deadline =
      time_limit_seconds > 0 ? EventLoop::NowMs() + int64_t(time_limit_seconds * 1000) : -1;
  loop_.Run(deadline);
}

}  // namespace sim
