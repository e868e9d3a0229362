// Weak callbacks: closures bound to the lifetime of an owner object.
//
// An owner derives from SupportWeakCallback. Callbacks made with
// ToWeakCallback hold only a weak reference to the owner's flag and do nothing
// (returning a value-initialised result) once the owner is gone.
//
// Threading: the flag must be created on the owner's thread (call GetWeakFlag
// once there, e.g. while the owner is set up) before other threads take weak
// references to it. Copying, testing and destroying callbacks is safe from any
// thread. Check-then-call is not atomic, so owners that receive callbacks from
// other threads must be destroyed on the thread that runs those callbacks.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace vbase {

struct WeakFlag {};

template <typename T>
class WeakCallback {
 public:
  WeakCallback(std::weak_ptr<WeakFlag> flag, T callable)
      : flag_(std::move(flag)), callable_(std::move(callable)) {}

  template <typename... Args>
  auto operator()(Args&&... args) const
      -> decltype(std::declval<const T&>()(std::forward<Args>(args)...)) {
    using Result = decltype(callable_(std::forward<Args>(args)...));
    if (expired()) {
      if constexpr (std::is_void_v<Result>) return;
      else return Result{};
    }
    return callable_(std::forward<Args>(args)...);
  }

  bool expired() const { return flag_.expired(); }

 private:
  std::weak_ptr<WeakFlag> flag_;
  T callable_;
};

class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  SupportWeakCallback(const SupportWeakCallback&) {}  // a copy has its own flag
  SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
  virtual ~SupportWeakCallback() = default;

  std::weak_ptr<WeakFlag> GetWeakFlag() {
    if (!flag_) flag_ = std::make_shared<WeakFlag>();
    return flag_;
  }

  template <typename T>
  WeakCallback<std::decay_t<T>> ToWeakCallback(T&& callable) {
    return WeakCallback<std::decay_t<T>>(GetWeakFlag(), std::forward<T>(callable));
  }

 protected:
  // Expires every callback bound so far; callbacks bound afterwards are live.
  // Owners call this first in their destructor so that no callback reaches a
  // half-destroyed derived part.
  void CancelWeakCallbacks() { flag_.reset(); }

 private:
  std::shared_ptr<WeakFlag> flag_;
};

// A group of callbacks with a lifetime shorter than their owner's (a timer).
class WeakCallbackFlag final : public SupportWeakCallback {
 public:
  void Cancel() { CancelWeakCallbacks(); }
};

}  // namespace vbase
