// TCP reachability probe of a panel's adb port.
//
// One non-blocking connect, waited for with poll (rows can outnumber
// FD_SETSIZE), then SO_ERROR: on Linux a refused connect also makes the socket
// writable, so writability alone would call a refusing panel reachable.
// Blocks the calling thread for at most the wait; any thread may call it.
// The socket is closed on every path.
#pragma once

#include <chrono>
#include <string>

inline constexpr int kAdbTcpPort = 5555;

// 0 when `address` (dotted IPv4, UTF-8) accepted a TCP connection on `port`
// within `wait`; a non-zero cause code otherwise (all causes mean
// "unreachable"). 0.0.0.0 and 255.255.255.255 are never reachable: the first
// would reach this computer, the second is the broadcast address.
int ProbeReachable(const std::string& address, int port = kAdbTcpPort,
                   std::chrono::milliseconds wait = std::chrono::seconds(1));
