// Every adb operation the upgrade pass performs on a panel, one function each.
//
// S is the panel's serial (address + ":5555"); D is the staging folder
// "/tmp/fleet-sync". Each call runs one adb child through RunAdb (exit code
// ignored) or RunAdbStrict (a non-zero exit code throws), blocking the calling
// thread until adb ends. With a group, a cancelled group refuses to start the
// child and kills it while it runs ("command cancelled"). Any thread.
#pragma once

#include <string>

#include "engine/command_runner.h"

class ChildGroup;

inline constexpr const wchar_t* kStagingFolder = L"/tmp/fleet-sync";
inline constexpr const wchar_t* kStagedImageName = L"/update.img";
inline constexpr const wchar_t* kStagedLogoName = L"/boot_logo.JPG";

// address + ":5555": the adb device serial and connect target.
std::wstring PanelSerial(const std::wstring& address);

// "connect " S. What it prints is not relied on.
CommandResult ConnectPanel(const std::wstring& serial, ChildGroup* group);
// "disconnect" S: forgets a transport left offline by a connect that never
// completed (every command then fails with "device offline" until this).
CommandResult DisconnectPanel(const std::wstring& serial, ChildGroup* group);

// "shell getprop ro.app.name" / "ro.app.version", trimmed.
std::wstring ReadProjectName(const std::wstring& serial, ChildGroup* group);
std::wstring ReadVersionText(const std::wstring& serial, ChildGroup* group);
// The MAC of eth0 from "shell ifconfig"; empty when the listing has none.
std::wstring ReadEth0Mac(const std::wstring& serial, ChildGroup* group);

// "logcat -d": the panel's log so far (exit code ignored).
CommandResult DumpLog(const std::wstring& serial, ChildGroup* group);
// "shell logcat": follows the log until the stream ends (the panel reboots,
// drops the connection, or the group is cancelled). Exit code ignored.
CommandResult StreamLog(const std::wstring& serial, ChildGroup* group);

// "shell setprop ctl.stop qnhmi" / "shell setprop ctl.restart qnhmi".
void StopHmiService(const std::wstring& serial, ChildGroup* group);
void RestartHmiService(const std::wstring& serial, ChildGroup* group);

// "shell mkdir -p" D: succeeds when the folder is already there (a folder left
// by an earlier, failed pass would otherwise fail every later pass on panels
// whose shell reports exit codes).
void MakeStagingFolder(const std::wstring& serial, ChildGroup* group);

// "push" "<local path>" D + staged name.
void PushUpdateImage(const std::wstring& serial, const std::wstring& local_path, ChildGroup* group);
void PushBootLogo(const std::wstring& serial, const std::wstring& local_path, ChildGroup* group);

// The three properties that start the panel's upgrade service from D.
void SetUpgradeFolder(const std::wstring& serial, ChildGroup* group);  // sys.qnupgrade.dir D
void SetUpgradeFlag(const std::wstring& serial, ChildGroup* group);    // sys.qnupgrade.flag 255
void SetUpgradeForce(const std::wstring& serial, ChildGroup* group);   // sys.qnupgrade.force 1
