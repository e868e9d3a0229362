// A list of observer pointers that observers may join or leave while it is
// being notified. Not thread-safe: owned and used by one thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vbase {

template <typename Observer>
class ObserverList {
 public:
  void AddObserver(Observer* observer) {
    if (!HasObserver(observer)) observers_.push_back(observer);
  }

  // During a notification the entry is only cleared, so the walk stays valid;
  // the list is compacted when the outermost notification ends.
  void RemoveObserver(Observer* observer) {
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end()) return;
    if (notify_depth_ > 0) *it = nullptr;
    else observers_.erase(it);
  }

  bool HasObserver(const Observer* observer) const {
    return std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
  }

  // Calls notify(observer&) for every observer, including those added during
  // the walk; removed ones are skipped.
  template <typename Notify>
  void ForEach(Notify&& notify) {
    DepthGuard guard(*this);
    for (std::size_t i = 0; i < observers_.size(); ++i) {
      if (Observer* observer = observers_[i]) notify(*observer);
    }
  }

 private:
  struct DepthGuard {
    explicit DepthGuard(ObserverList& list) : list(list) { ++list.notify_depth_; }
    ~DepthGuard() {
      if (--list.notify_depth_ == 0) std::erase(list.observers_, nullptr);
    }
    ObserverList& list;
  };

  std::vector<Observer*> observers_;
  int notify_depth_ = 0;
};

}  // namespace vbase
