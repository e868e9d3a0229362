// What this machine's TCP connections to a peer are doing, read from
// /proc/net/tcp (the calling thread's network namespace). Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A number that changes whenever data moves on an established connection to
// `ipv4_address`:`port`: it folds the send and receive queue lengths of every
// such connection. Data buffered on its way out shows here even while the
// program that wrote it waits. nullopt when the table cannot be read.
std::optional<std::uint64_t> TcpQueuesFingerprint(const std::string& ipv4_address, int port);

}  // namespace platform
