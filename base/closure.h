// A closure: a task that takes no arguments and returns nothing. Closures that
// must not outlive an object are wrapped with that object's ToWeakCallback
// (base/weak_callback.h) before they are posted.
#pragma once

#include <functional>

namespace vbase {

using Closure = std::function<void()>;

}  // namespace vbase
