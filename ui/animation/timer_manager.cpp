#include "ui/animation/timer_manager.h"

#include <algorithm>
#include <utility>

namespace ui {

TimerManager::TimerManager(TimerEnvironment& environment)
    : environment_(environment), self_(std::make_shared<TimerManager*>(this)) {}

TimerManager::~TimerManager() { Shutdown(); }

bool TimerManager::AddTimer(vbase::WeakCallbackFlag& flag, std::function<void()> callback,
                            int elapse_ms, int repeat) {
  // A count of 0 would wrap to "forever" after the first decrement.
  if (shut_down_ || !callback || elapse_ms < 0 || repeat == 0 || repeat < kRepeatForever)
    return false;
  const std::chrono::microseconds interval = std::chrono::milliseconds(elapse_ms);
  Push(Entry{environment_.Now() + interval, 0, interval, repeat, flag.GetWeakFlag(),
             std::move(callback)});
  ArmWakeUp();
  return true;
}

void TimerManager::Shutdown() {
  shut_down_ = true;
  entries_.clear();
  armed_ = false;
  self_.reset();  // queued wake-ups find no manager
}

void TimerManager::Push(Entry entry) {
  entry.order = next_order_++;
  entries_.push_back(std::move(entry));
  std::push_heap(entries_.begin(), entries_.end(), LaterFirst{});
}

void TimerManager::ArmWakeUp() {
  if (shut_down_ || entries_.empty()) return;
  const std::chrono::microseconds due = std::max(entries_.front().due, last_run_ + kTickPeriod);
  if (armed_ && armed_due_ <= due) return;  // the outstanding wake-up comes early enough
  armed_ = true;
  armed_due_ = due;
  const uint64_t id = ++armed_id_;
  const std::chrono::microseconds delay =
      std::max(due - environment_.Now(), std::chrono::microseconds(0));
  std::weak_ptr<TimerManager*> weak_self = self_;
  environment_.PostDelayedTask(
      [weak_self, id] {
        // Hold no reference while running, so a callback can still end the manager.
        TimerManager* self = nullptr;
        if (auto locked = weak_self.lock()) self = *locked;
        if (self) self->RunDueEntries(id);
      },
      delay);
}

void TimerManager::RunDueEntries(uint64_t wake_up_id) {
  if (!armed_ || wake_up_id != armed_id_) return;  // replaced by an earlier wake-up
  armed_ = false;
  const std::chrono::microseconds now = environment_.Now();
  last_run_ = now;

  std::vector<Entry> due;
  while (!entries_.empty() && entries_.front().due <= now) {
    std::pop_heap(entries_.begin(), entries_.end(), LaterFirst{});
    due.push_back(std::move(entries_.back()));
    entries_.pop_back();
  }

  std::weak_ptr<TimerManager*> weak_self = self_;
  for (Entry& entry : due) {
    if (entry.flag.expired()) continue;
    entry.callback();
    // A callback may shut the manager down or destroy it.
    if (weak_self.expired()) return;
    if (entry.flag.expired()) continue;
    if (entry.repeat != kRepeatForever && --entry.repeat == 0) continue;
    entry.due = environment_.Now() + entry.interval;
    Push(std::move(entry));
  }
  ArmWakeUp();
}

}  // namespace ui
