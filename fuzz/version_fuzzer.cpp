// Version texts: a valid parse prints back to a text that parses to the same
// record, and Compare is reflexive and antisymmetric. The input is split at
// the first NUL into two version texts to compare.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/version.h"
#include "fuzz/fuzz_check.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

void CheckRoundTrip(const Version& parsed) {
  Version reparsed;
  FUZZ_CHECK(reparsed.Parse(parsed.ToString()));
  FUZZ_CHECK(reparsed.major == parsed.major && reparsed.minor == parsed.minor &&
             reparsed.patch == parsed.patch);
  FUZZ_CHECK(reparsed.pre_release == parsed.pre_release);
  FUZZ_CHECK(reparsed.build == parsed.build);
  FUZZ_CHECK(reparsed.Compare(parsed) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::string_view first = input.substr(0, cut);
  const std::string_view second = cut == std::string_view::npos ? first : input.substr(cut + 1);

  Version a;
  Version b;
  const bool a_valid = a.Parse(first);
  const bool b_valid = b.Parse(second);
  FUZZ_CHECK(a.pre_release.size() <= 127 && a.build.size() <= 127);
  if (a_valid) CheckRoundTrip(a);
  if (b_valid) CheckRoundTrip(b);

  FUZZ_CHECK(a.Compare(a) == 0);
  FUZZ_CHECK(Sign(a.Compare(b)) == -Sign(b.Compare(a)));
  return 0;
}
