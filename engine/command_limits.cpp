#include "engine/command_limits.h"

#include "base/text.h"

namespace {

// "30 s", or "300 ms" for a bound that is not whole seconds.
std::wstring DurationText(std::chrono::milliseconds duration) {
  if (duration.count() % 1000 == 0) return FormatString(L"%lld s", static_cast<long long>(duration.count() / 1000));
  return FormatString(L"%lld ms", static_cast<long long>(duration.count()));
}

// "4 MiB", "512 KiB" or "1000 bytes".
std::wstring SizeText(std::size_t bytes) {
  constexpr std::size_t kKiB = 1024;
  if (bytes % (kKiB * kKiB) == 0) return FormatString(L"%zu MiB", bytes / (kKiB * kKiB));
  if (bytes % kKiB == 0) return FormatString(L"%zu KiB", bytes / kKiB);
  return FormatString(L"%zu bytes", bytes);
}

}  // namespace

[[noreturn]] void ThrowCut(CutReason reason, const std::wstring& command, const CommandBound& bound) {
  std::wstring message;
  switch (reason) {
    case CutReason::kCancelled:
      throw CommandInterrupted(reason, "command cancelled");
    case CutReason::kDeadline:
      message = FormatString(L"%s: no answer within %s", command.c_str(), DurationText(bound.deadline).c_str());
      break;
    case CutReason::kStalled:
      message = FormatString(L"%s: no progress for %s", command.c_str(), DurationText(bound.stall_limit).c_str());
      break;
    case CutReason::kOutputCap:
      message = FormatString(L"%s: more than %s of output", command.c_str(), SizeText(bound.output_cap).c_str());
      break;
  }
  throw CommandInterrupted(reason, Utf16ToUtf8(message));
}
