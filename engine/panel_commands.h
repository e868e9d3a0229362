// Every adb operation the upgrade pass performs on a panel, one function each,
// and the bound each one runs under.
//
// D is the staging folder "/tmp/fleet-sync". Each call runs one adb command
// for the panel of its PanelLink through the adb server's socket (adb_client.h),
// blocking the calling thread until it ends. It gives what Debian's adb client
// gives for the command line in the comment: its exit status and its output,
// decoded as a child's captured output is. Commands whose status matters throw
// "adb <tokens> failed, return value N" for a status other than 0; the others
// return it. A cancelled group refuses the command and ends it while it runs;
// a command that breaks its bound is ended too. Both throw CommandInterrupted
// (command_limits.h). Bounds, from the link's limits:
//   - every command that answers and ends: answer_deadline and output_cap;
//   - a push: push_stall_limit (no deadline: a slow push that moves is never
//     cut) and output_cap;
//   - the followed log: follow_limit; its output is handed to a sink, never
//     kept whole.
// Any thread.
#pragma once

#include <memory>
#include <string>

#include "engine/adb/adb_client.h"
#include "engine/command_limits.h"
#include "engine/command_runner.h"

inline constexpr const wchar_t* kStagingFolder = L"/tmp/fleet-sync";
inline constexpr const wchar_t* kStagedImageName = L"/update.img";
inline constexpr const wchar_t* kStagedLogoName = L"/boot_logo.JPG";

// address + ":5555": the adb device serial and connect target.
std::wstring PanelSerial(const std::wstring& address);

// The client of the adb server on the port ANDROID_ADB_SERVER_PORT names
// (default 5037). When that port refuses, the client starts the server with
// "adb start-server", ended after the answer deadline when it hangs.
std::shared_ptr<adb::Client> MakeAdbClient(const CommandLimits& limits);

// One panel as its commands reach it.
struct PanelLink {
  std::wstring serial;                // PanelSerial of the address
  adb::Client* client = nullptr;      // the adb server's client; required
  adb::CancelGroup* group = nullptr;  // the commands' group (may be null)
  CommandLimits limits;
  // The panel's features as learnt since the last ConnectPanel, shared by the
  // links of one pass (may be null: every shell command asks the server).
  adb::KnownFeatures* features = nullptr;
};

// "connect " S. What it prints is not relied on. The link's known features
// are forgotten: the connect may attach the panel anew.
CommandResult ConnectPanel(const PanelLink& link);
// "disconnect" S: forgets a transport left offline by a connect that never
// completed (every command then fails with "device offline" until this).
CommandResult DisconnectPanel(const PanelLink& link);

// "shell getprop ro.app.name" / "ro.app.version", trimmed.
std::wstring ReadProjectName(const PanelLink& link);
std::wstring ReadVersionText(const PanelLink& link);
// The MAC of eth0 from "shell ifconfig"; empty when the listing has none.
std::wstring ReadEth0Mac(const PanelLink& link);

// "logcat -d": the panel's log so far (exit code ignored).
CommandResult DumpLog(const PanelLink& link);
// "shell logcat": follows the log, handing it to `sink`, until the stream
// ends (the panel reboots, drops the connection, the group is cancelled or
// follow_limit passes). Exit code ignored.
CommandResult StreamLog(const PanelLink& link, const OutputSink& sink);

// "shell setprop ctl.stop qnhmi" / "shell setprop ctl.restart qnhmi".
void StopHmiService(const PanelLink& link);
void RestartHmiService(const PanelLink& link);

// "shell mkdir -p" D: succeeds when the folder is already there (a folder left
// by an earlier, failed pass would otherwise fail every later pass on panels
// whose shell reports exit codes).
void MakeStagingFolder(const PanelLink& link);

// "push" "<local path>" D + staged name.
void PushUpdateImage(const PanelLink& link, const std::wstring& local_path);
void PushBootLogo(const PanelLink& link, const std::wstring& local_path);

// The three properties that start the panel's upgrade service from D.
void SetUpgradeFolder(const PanelLink& link);  // sys.qnupgrade.dir D
void SetUpgradeFlag(const PanelLink& link);    // sys.qnupgrade.flag 255
void SetUpgradeForce(const PanelLink& link);   // sys.qnupgrade.force 1
