// Test helper: sets (or keeps) an environment variable for the lifetime of the
// object and puts the old value back afterwards, so cases that change PATH
// also pass when a whole suite runs in one process. Header only, so suites
// that do not link test_support can use it.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace fleetsync_test {

class ScopedEnv {
 public:
  explicit ScopedEnv(std::string name) : name_(std::move(name)) {
    if (const char* value = getenv(name_.c_str())) saved_ = value;
  }
  // Also sets the variable to `value`, or unsets it for nullptr.
  ScopedEnv(std::string name, const char* value) : ScopedEnv(std::move(name)) {
    if (value) setenv(name_.c_str(), value, 1);
    else unsetenv(name_.c_str());
  }
  ~ScopedEnv() {
    if (saved_) setenv(name_.c_str(), saved_->c_str(), 1);
    else unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace fleetsync_test
