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

}  // namespace
}  // namespace sim
