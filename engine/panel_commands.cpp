#include "engine/panel_commands.h"

#include "base/text.h"

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

CommandResult Answer(const PanelLink& link, const std::wstring& command) {
  return RunAdb({L"-s", link.serial, command}, link.group, AnswerBound(link.limits));
}

std::wstring StrictOutput(const PanelLink& link, const std::wstring& command) {
  return RunAdbStrict({L"-s", link.serial, command}, link.group, AnswerBound(link.limits)).output;
}

std::wstring Trimmed(std::wstring text) { return Trim(text); }

void Push(const PanelLink& link, const std::wstring& local_path, const wchar_t* staged_name) {
  RunAdbStrict({L"-s", link.serial, L"push", L"\"" + local_path + L"\"",
                std::wstring(kStagingFolder) + staged_name},
               link.group, PushBound(link.limits));
}

}  // namespace

std::wstring PanelSerial(const std::wstring& address) { return address + L":5555"; }

CommandResult ConnectPanel(const PanelLink& link) {
  return RunAdb({L"connect ", link.serial}, link.group, AnswerBound(link.limits));
}

CommandResult DisconnectPanel(const PanelLink& link) {
  return RunAdb({L"disconnect", link.serial}, link.group, AnswerBound(link.limits));
}

std::wstring ReadProjectName(const PanelLink& link) {
  return Trimmed(StrictOutput(link, L"shell getprop ro.app.name"));
}

std::wstring ReadVersionText(const PanelLink& link) {
  return Trimmed(StrictOutput(link, L"shell getprop ro.app.version"));
}

std::wstring ReadEth0Mac(const PanelLink& link) {
  return ExtractInterfaceMac(StrictOutput(link, L"shell ifconfig"), L"eth0");
}

CommandResult DumpLog(const PanelLink& link) { return Answer(link, L"logcat -d"); }

CommandResult StreamLog(const PanelLink& link, const OutputSink& sink) {
  CommandBound bound;
  bound.deadline = link.limits.follow_limit;
  return RunAdb({L"-s", link.serial, L"shell logcat"}, link.group, bound, sink);
}

void StopHmiService(const PanelLink& link) { StrictOutput(link, L"shell setprop ctl.stop qnhmi"); }

void RestartHmiService(const PanelLink& link) {
  StrictOutput(link, L"shell setprop ctl.restart qnhmi");
}

void MakeStagingFolder(const PanelLink& link) {
  RunAdbStrict({L"-s", link.serial, L"shell mkdir -p", kStagingFolder}, link.group,
               AnswerBound(link.limits));
}

void PushUpdateImage(const PanelLink& link, const std::wstring& local_path) {
  Push(link, local_path, kStagedImageName);
}

void PushBootLogo(const PanelLink& link, const std::wstring& local_path) {
  Push(link, local_path, kStagedLogoName);
}

void SetUpgradeFolder(const PanelLink& link) {
  RunAdbStrict({L"-s", link.serial, L"shell setprop sys.qnupgrade.dir", kStagingFolder}, link.group,
               AnswerBound(link.limits));
}

void SetUpgradeFlag(const PanelLink& link) { StrictOutput(link, L"shell setprop sys.qnupgrade.flag 255"); }

void SetUpgradeForce(const PanelLink& link) { StrictOutput(link, L"shell setprop sys.qnupgrade.force 1"); }
