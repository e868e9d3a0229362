#include "engine/panel_commands.h"

#include <functional>
#include <stdexcept>

#include "base/text.h"
#include "engine/adb/adb_client.h"

namespace {

CommandBound AnswerBound(const CommandLimits& limits) {
  CommandBound bound;
  bound.deadline = limits.answer_deadline;
  bound.output_cap = limits.output_cap;
  return bound;
}

CommandBound PushBound(const CommandLimits& limits) {
  CommandBound bound;
  bound.stall_limit = limits.push_stall_limit;
  bound.output_cap = limits.output_cap;
  return bound;
}

using ClientCall = std::function<adb::Result(adb::Client&, const adb::Operation&)>;

// Runs `call` as the adb command line `command` would run (it names the
// command in the messages), under `bound`; the output goes to `sink`, or into
// the result without one.
CommandResult Run(const PanelLink& link, const std::wstring& command, const CommandBound& bound,
                  const ClientCall& call, const OutputSink& sink = {}) {
  // Kept as UTF-8 until the end, a quarter of the memory of wide text. A
  // capped output that grows large gets room for the whole cap at once (the
  // client passes on no byte past it), so a panel flooding a command costs
  // the cap and no doubling beyond it.
  std::string captured;
  const auto capture = [&captured, cap = bound.output_cap](std::wstring_view text) {
    const std::string bytes = Utf16ToUtf8(text);
    constexpr std::size_t kLarge = 64 * 1024;
    if (cap > kLarge && captured.size() + bytes.size() > kLarge && captured.capacity() < cap) {
      captured.reserve(cap);
    }
    captured += bytes;
  };
  const OutputSink deliver = sink ? sink : OutputSink(capture);
  Utf8StreamDecoder decoder;
  const adb::Operation operation{link.group, bound,
                                 [&](std::string_view bytes) { decoder.Feed(bytes, deliver); },
                                 link.features};
  const adb::Result outcome = call(*link.client, operation);
  if (outcome.cut) ThrowCut(*outcome.cut, command, bound);
  return CommandResult{outcome.exit_code, Utf8ToUtf16(captured)};
}

CommandResult Strict(const std::wstring& command, CommandResult result) {
  if (result.exit_code != 0) {
    throw std::runtime_error(
        Utf16ToUtf8(FormatString(L"%s failed, return value %d", command.c_str(), result.exit_code)));
  }
  return result;
}

// "adb -s S shell COMMAND".
CommandResult Shell(const PanelLink& link, const std::wstring& command, const CommandBound& bound,
                    const OutputSink& sink = {}) {
  const std::string serial = Utf16ToUtf8(link.serial);
  const std::string words = Utf16ToUtf8(command);
  return Run(link, L"adb -s " + link.serial + L" shell " + command, bound,
             [&](adb::Client& client, const adb::Operation& operation) {
               return client.Shell(serial, words, operation);
             },
             sink);
}

std::wstring StrictShell(const PanelLink& link, const std::wstring& command) {
  return Strict(L"adb -s " + link.serial + L" shell " + command,
                Shell(link, command, AnswerBound(link.limits)))
      .output;
}

std::wstring Trimmed(std::wstring text) { return Trim(text); }

void Push(const PanelLink& link, const std::wstring& local_path, const wchar_t* staged_name) {
  const std::wstring remote = std::wstring(kStagingFolder) + staged_name;
  const std::wstring command = L"adb -s " + link.serial + L" push \"" + local_path + L"\" " + remote;
  const std::string serial = Utf16ToUtf8(link.serial);
  Strict(command, Run(link, command, PushBound(link.limits),
                      [&](adb::Client& client, const adb::Operation& operation) {
                        return client.Push(serial, Utf16ToUtf8(local_path), Utf16ToUtf8(remote), operation);
                      }));
}

}  // namespace

std::wstring PanelSerial(const std::wstring& address) { return address + L":5555"; }

std::shared_ptr<adb::Client> MakeAdbClient(const CommandLimits& limits) {
  const std::chrono::milliseconds deadline = limits.answer_deadline;
  return std::make_shared<adb::Client>(adb::ServerPortFromEnvironment(),
                                       [deadline] { StartAdbServer(deadline); });
}

CommandResult ConnectPanel(const PanelLink& link) {
  if (link.features) link.features->reset();
  const std::string serial = Utf16ToUtf8(link.serial);
  return Run(link, L"adb connect  " + link.serial, AnswerBound(link.limits),
             [&](adb::Client& client, const adb::Operation& operation) {
               return client.Connect(serial, operation);
             });
}

CommandResult DisconnectPanel(const PanelLink& link) {
  const std::string serial = Utf16ToUtf8(link.serial);
  return Run(link, L"adb disconnect " + link.serial, AnswerBound(link.limits),
             [&](adb::Client& client, const adb::Operation& operation) {
               return client.Disconnect(serial, operation);
             });
}

std::wstring ReadProjectName(const PanelLink& link) {
  return Trimmed(StrictShell(link, L"getprop ro.app.name"));
}

std::wstring ReadVersionText(const PanelLink& link) {
  return Trimmed(StrictShell(link, L"getprop ro.app.version"));
}

std::wstring ReadEth0Mac(const PanelLink& link) {
  return ExtractInterfaceMac(StrictShell(link, L"ifconfig"), L"eth0");
}

CommandResult DumpLog(const PanelLink& link) {
  const std::string serial = Utf16ToUtf8(link.serial);
  return Run(link, L"adb -s " + link.serial + L" logcat -d", AnswerBound(link.limits),
             [&](adb::Client& client, const adb::Operation& operation) {
               return client.Logcat(serial, {"-d"}, operation);
             });
}

CommandResult StreamLog(const PanelLink& link, const OutputSink& sink) {
  CommandBound bound;
  bound.deadline = link.limits.follow_limit;
  return Shell(link, L"logcat", bound, sink);
}

void StopHmiService(const PanelLink& link) { StrictShell(link, L"setprop ctl.stop qnhmi"); }

void RestartHmiService(const PanelLink& link) { StrictShell(link, L"setprop ctl.restart qnhmi"); }

void MakeStagingFolder(const PanelLink& link) {
  StrictShell(link, std::wstring(L"mkdir -p ") + kStagingFolder);
}

void PushUpdateImage(const PanelLink& link, const std::wstring& local_path) {
  Push(link, local_path, kStagedImageName);
}

void PushBootLogo(const PanelLink& link, const std::wstring& local_path) {
  Push(link, local_path, kStagedLogoName);
}

void SetUpgradeFolder(const PanelLink& link) {
  StrictShell(link, std::wstring(L"setprop sys.qnupgrade.dir ") + kStagingFolder);
}

void SetUpgradeFlag(const PanelLink& link) { StrictShell(link, L"setprop sys.qnupgrade.flag 255"); }

void SetUpgradeForce(const PanelLink& link) { StrictShell(link, L"setprop sys.qnupgrade.force 1"); }
