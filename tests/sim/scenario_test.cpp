// Scenario documents: defaults, validation and the writer the fixtures use.
#include <gtest/gtest.h>

#include <stdexcept>

#include "sim/scenario.h"

namespace sim {
namespace {

TEST(ScenarioTest, DefaultsApplyThenPanelKeysWin) {
  const auto panels = ParseScenario(R"({
    "defaults": {"project": "QN", "shell_v2": true, "timing": {"step_ms": 10}},
    "panels": [
      {"address": "127.0.0.5"},
      {"address": "127.0.0.6", "project": "Other", "faults": {"push_fail": "No space left on device"}}
    ]})");
  ASSERT_EQ(panels.size(), 2u);
  EXPECT_EQ(panels[0].project, "QN");
  EXPECT_TRUE(panels[0].shell_v2);
  EXPECT_EQ(panels[0].timing.step_ms, 10);
  EXPECT_EQ(panels[0].timing.reboot_ms, PanelTiming{}.reboot_ms);
  EXPECT_EQ(panels[0].mac, "02:00:7f:00:00:05");
  EXPECT_EQ(panels[1].project, "Other");
  EXPECT_EQ(panels[1].faults.push_fail, "No space left on device");
}

TEST(ScenarioTest, RejectsWhatCouldLeaveLoopbackOrIsMistyped) {
  const char* bad[] = {
      R"({"panels": [{"address": "10.0.0.5"}]})",
      R"({"panels": [{"address": "0.0.0.0"}]})",
      R"({"panels": [{"address": "localhost"}]})",
      R"({"panels": [{"address": "127.0.0.5"}, {"address": "127.0.0.5"}]})",
      R"({"panels": [{"address": "127.0.0.5", "verison": "1"}]})",
      R"({"panels": [{"address": "127.0.0.5", "faults": {"refuse": 1}}]})",
      R"({"panels": [{"address": "127.0.0.5", "port": 70000}]})",
      R"({"panels": [{"address": "127.0.0.5", "max_payload": 10}]})",
      R"({"panels": [{}]})",
      R"({"panels": {}})",
      R"([1, 2])",
      R"({"panels": [)",
  };
  for (const char* text : bad) EXPECT_THROW(ParseScenario(text), std::runtime_error) << text;
  EXPECT_NO_THROW(ParseScenario(R"({"panels": [{"address": "127.0.0.5"}, {"address": "127.0.0.5", "port": 5556}]})"));
}

TEST(ScenarioTest, WrittenScenarioReadsBackUnchanged) {
  PanelConfig panel = DefaultPanel("127.0.0.77");
  panel.project = "项目";
  panel.version = "";
  panel.mac = "";
  panel.shell_v2 = true;
  panel.props["persist.x"] = "y";
  panel.log = {"Enter upgrade..."};
  panel.timing.parts = 7;
  panel.faults.drop_push_after = 12345;
  panel.faults.rate_limit = 1000;
  panel.faults.non_utf8_props = {"ro.app.name"};
  panel.faults.power_back_ms = 10;
  const auto back = ParseScenario(ScenarioToJson({panel}));
  ASSERT_EQ(back.size(), 1u);
  const PanelConfig& p = back[0];
  EXPECT_EQ(p.project, panel.project);
  EXPECT_EQ(p.version, "");
  EXPECT_EQ(p.mac, "");
  EXPECT_TRUE(p.shell_v2);
  EXPECT_EQ(p.props, panel.props);
  EXPECT_EQ(p.log, panel.log);
  EXPECT_EQ(p.timing.parts, 7);
  EXPECT_EQ(p.faults.drop_push_after, 12345);
  EXPECT_EQ(p.faults.rate_limit, 1000);
  EXPECT_EQ(p.faults.non_utf8_props, panel.faults.non_utf8_props);
  EXPECT_EQ(p.faults.power_back_ms, 10);
}

}  // namespace
}  // namespace sim
