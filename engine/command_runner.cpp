#include "engine/command_runner.h"

#include <optional>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "engine/child_group.h"
#include "engine/child_output.h"
#include "engine/process.h"
#include "platform/executable_path.h"
#include "platform/file_attributes.h"
#include "platform/process_command_line.h"

namespace {

[[noreturn]] void Fail(const std::wstring& message) {
  throw std::runtime_error(Utf16ToUtf8(message));
}

void ThrowIfCancelled(const ChildGroup* group) {
  if (group && group->IsCancelled()) throw CommandInterrupted(CutReason::kCancelled, "command cancelled");
}

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

// Runs argv under `bound`; `command` names it in the message of a cut and
// `transport` is where its data goes ("address:port", or empty).
CommandResult RunArguments(const std::vector<std::string>& argv, ChildGroup* group,
                           const CommandBound& bound, const OutputSink& sink,
                           const std::wstring& command, const std::string& transport = {}) {
  ThrowIfCancelled(group);
  Process process(std::wstring(), group);
  if (const int code = process.Start(argv)) Fail(FormatString(L"can not create process, error(%d)", code));
  // Kept as UTF-8 until the end, a quarter of the memory of wide text. A
  // capped output that grows large gets room for the whole cap at once, so a
  // panel flooding a command costs the cap and no doubling beyond it.
  std::string captured;
  const auto capture = [&captured, cap = bound.output_cap](std::wstring_view text) {
    const std::string bytes = Utf16ToUtf8(text);
    constexpr std::size_t kLarge = 64 * 1024;
    constexpr std::size_t kPastTheCap = 4096;  // the read that crosses the cap
    if (cap > kLarge && captured.size() + bytes.size() > kLarge && captured.capacity() < cap) {
      captured.reserve(cap + kPastTheCap);
    }
    captured += bytes;
  };
  const std::optional<CutReason> cut =
      ReadChildOutput(process, bound, sink ? sink : OutputSink(capture), transport);
  int exit_code = -1;
  if (!process.WaitForExit(exit_code)) Fail(FormatString(L"wait for exit failed, error(%d)", -2));
  ThrowIfCancelled(group);
  if (cut) ThrowCut(*cut, command, bound);
  return CommandResult{exit_code, Utf8ToUtf16(captured)};
}

bool IsEnclosedInQuotes(std::wstring_view token) {
  return token.size() >= 2 && token.front() == L'"' && token.back() == L'"';
}

[[noreturn]] void RejectToken(const std::wstring& token) {
  Fail(FormatString(L"invalid adb argument: %s", token.c_str()));
}

// A token that names a local or remote file: exactly one argument.
std::string PathArgument(const std::wstring& token) {
  std::wstring path = token.substr(1, token.size() - 2);
  if (path.find(L'"') != std::wstring::npos) RejectToken(token);
  // adb would read a leading '-' as an option.
  if (!path.empty() && path.front() == L'-') path.insert(0, L"./");
  return Utf16ToUtf8(path);
}

// The serial after "-s" or the address after "connect" / "disconnect": exactly one argument.
std::string ValueArgument(const std::wstring& token) {
  const std::wstring value = IsEnclosedInQuotes(token) ? token.substr(1, token.size() - 2) : token;
  if (value.empty() || value.front() == L'-' || value.find(L'"') != std::wstring::npos)
    RejectToken(token);
  return Utf16ToUtf8(value);
}

// "-s", "connect" and "disconnect" as tokens of their own, as callers pass
// them ("connect " keeps the blank the command line shows).
bool TakesValue(const std::wstring& token) {
  const std::vector<std::wstring> words = platform::SplitCommandLine(token);
  return words.size() == 1 &&
         (words.front() == L"-s" || words.front() == L"connect" || words.front() == L"disconnect");
}

std::wstring JoinTokens(std::wstring first, const std::vector<std::wstring>& tokens) {
  for (const std::wstring& token : tokens) {
    first += L' ';
    first += token;
  }
  return first;
}

}  // namespace

CommandResult RunCommand(const std::wstring& command_line, ChildGroup* group,
                         const CommandBound& bound) {
  return RunArguments(CommandLineArguments(command_line), group, bound, {}, command_line);
}

std::string LocateAdb(const std::string& program_folder) {
  if (!program_folder.empty()) {
    const std::string beside = program_folder + "adb/adb";
    if (platform::FileExists(beside)) return beside;
  }
  std::string on_path = platform::FindOnPath("adb");
  if (on_path.empty()) Fail(L"adb not found");
  return on_path;
}

std::wstring AdbCommandLine(const std::string& adb_path, const std::vector<std::wstring>& tokens) {
  return JoinTokens(L"\"" + Utf8ToUtf16(adb_path) + L"\"", tokens);
}

std::vector<std::string> AdbArguments(const std::string& adb_path,
                                      const std::vector<std::wstring>& tokens) {
  std::vector<std::string> argv{adb_path};
  bool value_expected = false;
  for (const std::wstring& token : tokens) {
    if (value_expected) {
      argv.push_back(ValueArgument(token));
      value_expected = false;
      continue;
    }
    if (IsEnclosedInQuotes(token)) {
      argv.push_back(PathArgument(token));
      continue;
    }
    for (const std::wstring& word : platform::SplitCommandLine(token))
      argv.push_back(Utf16ToUtf8(word));
    value_expected = TakesValue(token);
  }
  return argv;
}

CommandResult RunAdb(const std::vector<std::wstring>& tokens, ChildGroup* group,
                     const CommandBound& bound, const OutputSink& sink) {
  ThrowIfCancelled(group);
  const std::string adb = LocateAdb(platform::ExecutableDirectory());
  const std::vector<std::string> argv = AdbArguments(adb, tokens);
  // The serial after "-s" is the panel's transport.
  std::string transport;
  if (argv.size() > 2 && argv[1] == "-s") transport = argv[2];
  return RunArguments(argv, group, bound, sink, JoinTokens(L"adb", tokens), transport);
}

CommandResult RunAdbStrict(const std::vector<std::wstring>& tokens, ChildGroup* group,
                           const CommandBound& bound) {
  CommandResult result = RunAdb(tokens, group, bound);
  if (result.exit_code != 0) {
    const std::wstring command = JoinTokens(L"adb", tokens);
    Fail(FormatString(L"%s failed, return value %d", command.c_str(), result.exit_code));
  }
  return result;
}

CommandResult StartAdbServer(std::chrono::milliseconds deadline) {
  CommandBound bound;
  bound.deadline = deadline;
  return RunAdb({L"start-server"}, nullptr, bound);
}

std::wstring ExtractInterfaceMac(const std::wstring& output, const std::wstring& interface_name) {
  static constexpr std::wstring_view kMarker = L"HWaddr";
  std::size_t begin = 0;
  while (begin < output.size()) {
    std::size_t end = output.find(L'\n', begin);
    if (end == std::wstring::npos) end = output.size();
    const std::wstring_view line(output.data() + begin, end - begin);
    const std::size_t marker = line.find(kMarker);
    if (marker != std::wstring_view::npos &&
        line.find(interface_name) != std::wstring_view::npos) {
      std::wstring mac(line.substr(marker + kMarker.size()));
      return Trim(mac);
    }
    begin = end + 1;
  }
  return {};
}
