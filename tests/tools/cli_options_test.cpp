#include "tools/fleetsync-cli/cli_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::optional<CliOptions> Parse(std::vector<const char*> args, std::string* error_out = nullptr) {
  args.insert(args.begin(), "fleetsync-cli");
  std::string error;
  auto options = ParseCliOptions(static_cast<int>(args.size()), args.data(), error);
  if (error_out) *error_out = error;
  return options;
}

TEST(CliOptions, DefaultsAndOptionsNoRunShows) {
  auto defaults = Parse({});
  ASSERT_TRUE(defaults);
  EXPECT_FALSE(defaults->once);
  EXPECT_EQ(defaults->attempts, 3);
  EXPECT_EQ(defaults->unreachable_timeout.count(), 120);

  // The paths, --once, --summary and --timeout show in the driver's runs.
  auto all = Parse({"--attempts", "2", "--verbose", "--no-history"});
  ASSERT_TRUE(all);
  EXPECT_TRUE(all->verbose && all->no_history);
  EXPECT_EQ(all->attempts, 2);
}

TEST(CliOptions, RejectsWhatItCannotUse) {
  std::string error;
  EXPECT_FALSE(Parse({"--timeout"}, &error));
  EXPECT_EQ(error, "--timeout needs a value");
  for (const char* bad : {"0", "-3", "5s", "", "99999999999999999999"}) {
    EXPECT_FALSE(Parse({"--attempts", bad})) << bad;
  }
  EXPECT_FALSE(Parse({"--summary"}, &error));
  EXPECT_EQ(error, "--summary needs --once");
  EXPECT_FALSE(Parse({"--kill-server"}));  // the server is never stopped
  EXPECT_FALSE(Parse({"--onse"}, &error));
  EXPECT_EQ(error, "unknown argument '--onse'");
}

}  // namespace
