// Saves numbered settings records (generation argv[1], argv[1] + 1, ...) for
// ever, telling its parent "ready" on stdout after the first one. The
// atomic-save test kills it at random moments.
#include <cstdio>
#include <cstdlib>

#include "app/config_store.h"
#include "tests/app/numbered_settings.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  for (long generation = std::atol(argv[1]);; ++generation) {
    if (!SaveUpgradeSettings(NumberedSettings(generation))) return 1;
    if (generation == std::atol(argv[1])) {
      std::puts("ready");
      std::fflush(stdout);
    }
  }
}
