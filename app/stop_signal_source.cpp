#include "app/stop_signal_source.h"

#include <signal.h>
#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>

namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

bool Watch(int epoll_fd, int fd) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd;
  return epoll_ctl(epoll_fd, EPOLL_CTL_ADD, fd, &event) == 0;
}

}  // namespace

void StopSignalSource::BlockStopSignals() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

std::unique_ptr<StopSignalSource> StopSignalSource::Create(vbase::NativeEventSource& wrapped,
                                                           std::function<void()> on_stop) {
  const sigset_t signals = StopSignals();
  platform::UniqueFd signal_fd(signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC));
  platform::UniqueFd epoll_fd(epoll_create1(EPOLL_CLOEXEC));
  if (!signal_fd.valid() || !epoll_fd.valid()) return nullptr;
  if (!Watch(epoll_fd.get(), signal_fd.get())) return nullptr;
  if (wrapped.GetFd() >= 0 && !Watch(epoll_fd.get(), wrapped.GetFd())) return nullptr;
  return std::unique_ptr<StopSignalSource>(new StopSignalSource(
      wrapped, std::move(on_stop), std::move(epoll_fd), std::move(signal_fd)));
}

StopSignalSource::StopSignalSource(vbase::NativeEventSource& wrapped,
                                   std::function<void()> on_stop, platform::UniqueFd epoll_fd,
                                   platform::UniqueFd signal_fd)
    : wrapped_(wrapped),
      on_stop_(std::move(on_stop)),
      epoll_fd_(std::move(epoll_fd)),
      signal_fd_(std::move(signal_fd)) {}

bool StopSignalSource::DispatchNativeEvents() {
  bool any = wrapped_.DispatchNativeEvents();
  // The epoll descriptor stays readable while either member is; reading
  // every pending signal here is what clears the signal side.
  signalfd_siginfo info;
  while (true) {
    const ssize_t n = read(signal_fd_.get(), &info, sizeof info);
    if (n == static_cast<ssize_t>(sizeof info)) {
      any = true;
      if (on_stop_) on_stop_();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  return any;
}
