// The panel's shell commands against a fake panel.
#include <gtest/gtest.h>

#include <filesystem>

#include "sim/panel_shell.h"
#include "tests/support/temp_folder.h"

namespace sim {
namespace {

class FakePanel : public ShellHost {
 public:
  FakePanel() { std::filesystem::create_directories(root_ + "/tmp"); }
  std::map<std::string, std::string> Props() const override { return props; }
  std::string PropOutput(const std::string& name) const override {
    auto it = props.find(name);
    return it == props.end() ? "" : it->second;
  }
  void SetProp(const std::string& name, const std::string& value) override { props[name] = value; }
  std::string LogText() const override { return "line 1\nline 2\n"; }
  std::string FilesRoot() const override { return root_; }
  std::string Address() const override { return "127.0.0.9"; }
  std::string Mac() const override { return mac; }
  void RequestReboot() override { ++reboots; }

  std::map<std::string, std::string> props = {{"ro.app.name", "QN"}};
  std::string mac = "00:11:22:33:44:55";
  int reboots = 0;

 private:
  fleetsync_test::TempFolder folder_{"panel-shell"};
  std::string root_ = folder_.path();
};

TEST(PanelShellTest, GetpropPrintsValueOrEmptyLine) {
  FakePanel panel;
  EXPECT_EQ(RunShellCommand("getprop ro.app.name", panel).output, "QN\n");
  EXPECT_EQ(RunShellCommand("getprop missing", panel).output, "\n");
  EXPECT_EQ(RunShellCommand("getprop", panel).output, "[ro.app.name]: [QN]\n");
}

TEST(PanelShellTest, SetpropNeedsExactlyTwoArguments) {
  FakePanel panel;
  EXPECT_EQ(RunShellCommand("setprop sys.qnupgrade.dir /tmp/fleet-sync", panel).exit_code, 0);
  EXPECT_EQ(panel.props["sys.qnupgrade.dir"], "/tmp/fleet-sync");
  EXPECT_EQ(RunShellCommand("setprop only", panel).exit_code, 1);
  EXPECT_EQ(RunShellCommand("setprop a b c", panel).exit_code, 1);
  EXPECT_EQ(panel.props.count("only"), 0u);
}

TEST(PanelShellTest, MkdirFailsOnExistingFolderUnlessParentsFlag) {
  FakePanel panel;
  EXPECT_EQ(RunShellCommand("mkdir /tmp/fleet-sync", panel).exit_code, 0);
  EXPECT_TRUE(std::filesystem::is_directory(panel.FilesRoot() + "/tmp/fleet-sync"));
  const ShellOutcome again = RunShellCommand("mkdir /tmp/fleet-sync", panel);
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_EQ(again.output, "mkdir: '/tmp/fleet-sync': File exists\n");
  EXPECT_EQ(RunShellCommand("mkdir -p /tmp/fleet-sync", panel).exit_code, 0);
  EXPECT_EQ(RunShellCommand("mkdir /a/b/c", panel).exit_code, 1);  // no parents
  EXPECT_EQ(RunShellCommand("mkdir -p /a/b/c", panel).exit_code, 0);
  EXPECT_EQ(RunShellCommand("mkdir /../escape", panel).exit_code, 1);
  EXPECT_FALSE(std::filesystem::exists(panel.FilesRoot() + "/../escape"));
}

TEST(PanelShellTest, IfconfigShowsMacOnTheEth0Line) {
  FakePanel panel;
  const std::string listing = RunShellCommand("ifconfig", panel).output;
  EXPECT_EQ(listing.rfind("eth0      Link encap:Ethernet  HWaddr 00:11:22:33:44:55", 0), 0u);
  EXPECT_NE(listing.find("\nlo        Link encap:Local Loopback"), std::string::npos);
  EXPECT_EQ(RunShellCommand("ifconfig eth0", panel).output, listing);
  EXPECT_EQ(RunShellCommand("ifconfig wlan9", panel).exit_code, 1);
  panel.mac.clear();
  EXPECT_EQ(RunShellCommand("ifconfig", panel).output.find("HWaddr"), std::string::npos);
}

TEST(PanelShellTest, LogcatDumpsOrFollows) {
  FakePanel panel;
  const ShellOutcome dump = RunShellCommand("export ANDROID_LOG_TAGS=\"''\"; exec logcat '-d'", panel);
  EXPECT_EQ(dump.output, "line 1\nline 2\n");
  EXPECT_FALSE(dump.follow_log);
  const ShellOutcome follow = RunShellCommand("logcat", panel);
  EXPECT_EQ(follow.output, "line 1\nline 2\n");
  EXPECT_TRUE(follow.follow_log);
}

TEST(PanelShellTest, UnknownCommandsAndOperators) {
  FakePanel panel;
  const ShellOutcome unknown = RunShellCommand("frob -x", panel);
  EXPECT_EQ(unknown.output, "/system/bin/sh: frob: not found\n");
  EXPECT_EQ(unknown.exit_code, 127);
  EXPECT_EQ(RunShellCommand("false && echo no", panel).output, "");
  EXPECT_EQ(RunShellCommand("false || echo yes", panel).output, "yes\n");
  EXPECT_EQ(RunShellCommand("echo a; echo b", panel).output, "a\nb\n");
  EXPECT_EQ(RunShellCommand("", panel).exit_code, 0);
  RunShellCommand("reboot", panel);
  EXPECT_EQ(panel.reboots, 1);
}

}  // namespace
}  // namespace sim
