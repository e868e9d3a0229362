#include "engine/version.h"

#include <string>

#include <gtest/gtest.h>

namespace {

int Compare(const std::string& a, const std::string& b) {
  Version first, second;
  first.Parse(a);
  second.Parse(b);
  return first.Compare(second);
}

// Each text parsed into a fresh version: whether it parses, and what it
// reads as (a failed parse keeps partial values, checked further down).
TEST(VersionParse, ReadsNumbersPreReleaseAndBuildByTheScanRules) {
  const std::string long_text(200, 'a'), kept(127, 'a');
  const struct {
    std::string text;
    bool ok;
    std::string read_as;
  } cases[] = {
      {"1.2.3", true, "1.2.3"},
      {"1.2.3-rc.1", true, "1.2.3-rc.1"},
      {"1.2.3+b7", true, "1.2.3+b7"},  // the build comes from the first pattern
      {"1.2.3-rc.1+b7", true, "1.2.3-rc.1+b7"},
      {"1.2.3-a-b.c+x-y.z", true, "1.2.3-a-b.c+x-y.z"},
      {" \t01.2.3", true, "1.2.3"},
      {"1. 2.\n3", true, "1.2.3"},  // a number skips white space, a literal does not
      {"1 .2.3", false, ""},
      {"-1.+2.3", true, "-1.2.3"},
      {"1.2.3.4 trailing", true, "1.2.3"},
      {"2147483647.-2147483648.0", true, "2147483647.-2147483648.0"},
      // Text fields stop at 127 characters and at the first byte outside their set.
      {"1.2.3-" + long_text + "+b7", true, "1.2.3-" + kept},  // the 128th is not the '+'
      {"1.2.3+" + long_text, true, "1.2.3+" + kept},
      {"1.2.3-rc_1+b", true, "1.2.3-rc"},
      {"1.2.3-r\xC3\xA9", true, "1.2.3-r"},  // only ASCII letters belong to the set
  };
  for (const auto& c : cases) {
    Version v;
    EXPECT_EQ(v.Parse(c.text), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v.ToString(), c.read_as) << c.text;
    }
  }
  Version v;
  ASSERT_TRUE(v.Parse("-1.2.3-rc+b"));
  EXPECT_EQ(v.major * 100 + v.minor * 10 + v.patch, -100 + 23);
  EXPECT_EQ(v.pre_release, "rc");
  EXPECT_EQ(v.build, "b");
}

TEST(VersionParse, IncompleteTextKeepsWhatItDoesNotSupply) {
  Version v;
  ASSERT_TRUE(v.Parse("7.8.9-rc+b"));
  EXPECT_FALSE(v.Parse("1.2"));
  EXPECT_EQ(v.major, 1);
  EXPECT_EQ(v.minor, 2);
  EXPECT_EQ(v.patch, 9);          // unchanged
  EXPECT_EQ(v.pre_release, "");   // texts are always replaced
  EXPECT_EQ(v.build, "");
  EXPECT_FALSE(v.Parse("v1.3"));
  EXPECT_EQ(v.ToString(), "1.2.9");
  EXPECT_FALSE(v.Parse(""));
  EXPECT_FALSE(v.Parse("1.2."));
  EXPECT_FALSE(v.Parse("1..3"));
  EXPECT_TRUE(v.Parse("1.2.3-"));  // an empty pre-release is no pre-release
  EXPECT_EQ(v.pre_release, "");
  EXPECT_TRUE(v.Parse("1.2.3-+b"));  // and the scan stops there: no build either
  EXPECT_EQ(v.build, "");
}

TEST(VersionParse, OverflowingNumberIsInvalid) {
  Version v;
  EXPECT_FALSE(v.Parse("2147483648.0.0"));
  EXPECT_EQ(v.major, 0);
  EXPECT_FALSE(v.Parse("1.99999999999999999999999.0"));
  EXPECT_EQ(v.major, 1);
  EXPECT_EQ(v.minor, 0);
  EXPECT_FALSE(v.Parse("1.2.-2147483649"));
}

TEST(VersionCompare, OrdersNumbersThenPreReleaseBytesAndGivesOnlyTheSign) {
  EXPECT_EQ(Compare("1.2.3", "1.2.3-rc.1"), 1);
  EXPECT_EQ(Compare("1.2.3-rc.1", "1.2.3"), -1);
  EXPECT_LT(Compare("1.2.3-alpha", "1.2.3-beta"), 0);
  EXPECT_LT(Compare("1.2.3-rc", "1.2.3-rc.1"), 0);
  EXPECT_LT(Compare("1.2.3-rc.10", "1.2.3-rc.9"), 0);
  EXPECT_LT(Compare("1.2.3-Z", "1.2.3-a"), 0);
  EXPECT_EQ(Compare("1.10.0", "1.9.0"), 1);
  EXPECT_EQ(Compare("1.2.3+a", "1.2.3+b"), 0);
  EXPECT_EQ(Compare("1.2.3-rc+a", "1.2.3-rc"), 0);
  EXPECT_EQ(Compare("garbage", "0.0.0"), 0);
  // Only the sign, even at the int limits.
  EXPECT_EQ(Compare("2147483647.0.0", "-2147483648.0.0"), 1);
  EXPECT_EQ(Compare("-2147483648.0.0", "2147483647.0.0"), -1);
  EXPECT_EQ(Compare("0.0.2147483647", "0.0.-1"), 1);
}

}  // namespace
