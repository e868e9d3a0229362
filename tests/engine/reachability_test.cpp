#include "engine/reachability.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "tests/engine/loopback_socket.h"

namespace {

long OpenDescriptorCount() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// 0.0.0.0 reaches this computer on Linux, so a local listener would make it
// look like a panel; the broadcast address is never a panel either.
TEST(ProbeReachable, WildcardBroadcastAndNonAddressesAreRejected) {
  LoopbackSocket listener(LoopbackSocket::kListening, "0.0.0.0");
  ASSERT_EQ(ProbeReachable("127.0.0.1", listener.port()), 0);
  EXPECT_NE(ProbeReachable("0.0.0.0", listener.port()), 0);
  EXPECT_NE(ProbeReachable("255.255.255.255", listener.port()), 0);
  for (const char* text : {"", "localhost", "127.0.0", "127.0.0.1 ", "127.0.0.256", "::1"}) {
    EXPECT_NE(ProbeReachable(text, listener.port()), 0) << "'" << text << "'";
  }
}

TEST(ProbeReachable, ClosesItsSocketOnEveryPath) {
  LoopbackSocket listener(LoopbackSocket::kListening);
  LoopbackSocket refusing(LoopbackSocket::kRefusing);
  const long before = OpenDescriptorCount();
  for (int i = 0; i < 50; ++i) {
    ProbeReachable("127.0.0.1", listener.port());
    ProbeReachable("127.0.0.1", refusing.port());
    ProbeReachable("0.0.0.0", listener.port());
    ProbeReachable("bogus", listener.port());
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

}  // namespace
