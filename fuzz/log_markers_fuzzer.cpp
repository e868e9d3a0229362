// The upgrade log classifiers: success needs all three of its markers in the
// captured text; underway needs one of its own. Whatever the exit code.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "engine/progress_monitor.h"
#include "fuzz/fuzz_check.h"

namespace {

bool Contains(const std::wstring& text, const wchar_t* marker) {
  return text.find(marker) != std::wstring::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  CommandResult result;
  result.exit_code = int8_t(data[0]);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  result.output = Utf8ToUtf16(bytes);
  if (result.output.empty()) {
    for (char c : bytes) result.output.push_back(wchar_t(uint8_t(c)));
  }

  const bool success = LogShowsUpgradeSuccess(result);
  const bool underway = LogShowsUpgradeUnderway(result);
  const bool start = Contains(result.output, L"startUpgrade");
  const bool part = Contains(result.output, L"write part: res");
  const bool done = Contains(result.output, L"upgrade success, will reboot system!");
  const bool enter = Contains(result.output, L"Enter upgrade...");
  FUZZ_CHECK(success == (start && part && done));
  FUZZ_CHECK(underway == (start || part || enter));

  // The exit code plays no part.
  result.exit_code = result.exit_code == 0 ? 1 : 0;
  FUZZ_CHECK(LogShowsUpgradeSuccess(result) == success);
  FUZZ_CHECK(LogShowsUpgradeUnderway(result) == underway);
  return 0;
}
