#include "engine/panel_commands.h"

#include "base/text.h"

namespace {

std::wstring StrictOutput(const std::wstring& serial, const std::wstring& command,
                          ChildGroup* group) {
  return RunAdbStrict({L"-s", serial, command}, group).output;
}

std::wstring Trimmed(std::wstring text) { return Trim(text); }

void Push(const std::wstring& serial, const std::wstring& local_path, const wchar_t* staged_name,
          ChildGroup* group) {
  RunAdbStrict({L"-s", serial, L"push", L"\"" + local_path + L"\"",
                std::wstring(kStagingFolder) + staged_name},
               group);
}

}  // namespace

std::wstring PanelSerial(const std::wstring& address) { return address + L":5555"; }

CommandResult ConnectPanel(const std::wstring& serial, ChildGroup* group) {
  return RunAdb({L"connect ", serial}, group);
}

CommandResult DisconnectPanel(const std::wstring& serial, ChildGroup* group) {
  return RunAdb({L"disconnect", serial}, group);
}

std::wstring ReadProjectName(const std::wstring& serial, ChildGroup* group) {
  return Trimmed(StrictOutput(serial, L"shell getprop ro.app.name", group));
}

std::wstring ReadVersionText(const std::wstring& serial, ChildGroup* group) {
  return Trimmed(StrictOutput(serial, L"shell getprop ro.app.version", group));
}

std::wstring ReadEth0Mac(const std::wstring& serial, ChildGroup* group) {
  return ExtractInterfaceMac(StrictOutput(serial, L"shell ifconfig", group), L"eth0");
}

CommandResult DumpLog(const std::wstring& serial, ChildGroup* group) {
  return RunAdb({L"-s", serial, L"logcat -d"}, group);
}

CommandResult StreamLog(const std::wstring& serial, ChildGroup* group) {
  return RunAdb({L"-s", serial, L"shell logcat"}, group);
}

void StopHmiService(const std::wstring& serial, ChildGroup* group) {
  StrictOutput(serial, L"shell setprop ctl.stop qnhmi", group);
}

void RestartHmiService(const std::wstring& serial, ChildGroup* group) {
  StrictOutput(serial, L"shell setprop ctl.restart qnhmi", group);
}

void MakeStagingFolder(const std::wstring& serial, ChildGroup* group) {
  RunAdbStrict({L"-s", serial, L"shell mkdir -p", kStagingFolder}, group);
}

void PushUpdateImage(const std::wstring& serial, const std::wstring& local_path,
                     ChildGroup* group) {
  Push(serial, local_path, kStagedImageName, group);
}

void PushBootLogo(const std::wstring& serial, const std::wstring& local_path, ChildGroup* group) {
  Push(serial, local_path, kStagedLogoName, group);
}

void SetUpgradeFolder(const std::wstring& serial, ChildGroup* group) {
  RunAdbStrict({L"-s", serial, L"shell setprop sys.qnupgrade.dir", kStagingFolder}, group);
}

void SetUpgradeFlag(const std::wstring& serial, ChildGroup* group) {
  StrictOutput(serial, L"shell setprop sys.qnupgrade.flag 255", group);
}

void SetUpgradeForce(const std::wstring& serial, ChildGroup* group) {
  StrictOutput(serial, L"shell setprop sys.qnupgrade.force 1", group);
}
