// A raw socket client against an in-process panel: the handshake, flow
// control and refused services (pushes are the sync and end-to-end tests').
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "sim/adb_message.h"
#include "sim/event_loop.h"
#include "sim/panel.h"
#include "tests/support/temp_folder.h"

namespace sim {
namespace {

constexpr const char* kAddress = "127.0.0.190";
// Tests run in parallel processes: each takes a port of its own.
const uint16_t kPort = uint16_t(20000 + getpid() % 30000);

struct Message {
  MessageHeader header;
  std::string payload;
};

class RawClient {
 public:
  RawClient() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    inet_pton(AF_INET, kAddress, &address.sin_addr);
    connected_ = connect(fd_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    fcntl(fd_.get(), F_SETFL, O_NONBLOCK);
  }
  bool connected() const { return connected_; }
  void SendRaw(const std::string& bytes) { ASSERT_EQ(send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }
  void Send(uint32_t command, uint32_t arg0, uint32_t arg1, const std::string& payload = {}) {
    std::string bytes;
    AppendMessage(bytes, command, arg0, arg1, payload);
    SendRaw(bytes);
  }
  // Reads what arrived; false once the peer closed.
  bool Drain() {
    char buffer[65536];
    for (;;) {
      const ssize_t got = recv(fd_.get(), buffer, sizeof buffer, 0);
      if (got > 0) { input_.append(buffer, size_t(got)); continue; }
      if (got == 0) closed_ = true;
      return !closed_;
    }
  }
  std::optional<Message> Next() {
    Drain();
    if (input_.size() < kHeaderSize) return std::nullopt;
    auto header = DecodeHeader(input_);
    if (!header || input_.size() < kHeaderSize + header->data_length) return std::nullopt;
    Message m{*header, input_.substr(kHeaderSize, header->data_length)};
    input_.erase(0, kHeaderSize + header->data_length);
    return m;
  }
  bool closed() { Drain(); return closed_; }

 private:
  platform::UniqueFd fd_;
  bool connected_ = false;
  bool closed_ = false;
  std::string input_;
};

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PanelConfig config = DefaultPanel(kAddress);
    config.port = kPort;
    config.max_payload = 4096;
    config.project = "QN";
    // A log longer than several payloads, to watch flow control.
    for (int i = 0; i < 300; ++i) config.log.push_back("filler line " + std::to_string(i));
    panel_ = std::make_unique<Panel>(loop_, config, state_dir_);
    panel_->Start();
  }
  void TearDown() override { panel_.reset(); }
  // Runs the panel's loop until `done` holds (or 3 s pass).
  bool Pump(const std::function<bool()>& done) {
    const int64_t deadline = EventLoop::NowMs() + 3000;
    while (EventLoop::NowMs() < deadline) {
      loop_.Run(EventLoop::NowMs() + 5);
      if (done()) return true;
    }
    return false;
  }
  std::optional<Message> Receive(RawClient& client) {
    std::optional<Message> m;
    Pump([&] { return (m = client.Next()).has_value() || client.closed(); });
    return m;
  }
  Message Handshake(RawClient& client) {
    client.Send(kCnxn, 0x01000001, 1 << 20, "host::features=shell_v2,cmd");
    auto reply = Receive(client);
    EXPECT_TRUE(reply && reply->header.command == kCnxn);
    return reply.value_or(Message{});
  }

  EventLoop loop_;
  fleetsync_test::TempFolder state_{"sim-connection"};
  std::string state_dir_ = state_.path();
  std::unique_ptr<Panel> panel_;
};

TEST_F(ConnectionTest, HandshakeAnswersWithBannerAndSmallerPayload) {
  RawClient client;
  ASSERT_TRUE(client.connected());
  const Message reply = Handshake(client);
  EXPECT_EQ(reply.header.arg0, kDeviceVersion);
  EXPECT_EQ(reply.header.arg1, 4096u);
  EXPECT_EQ(reply.payload,
            "device::ro.product.name=qnpanel;ro.product.model=QN-Panel;ro.product.device=qnpanel;features=");
}

TEST_F(ConnectionTest, OutputWaitsForEachOkayAndRespectsThePayloadLimit) {
  RawClient client;
  Handshake(client);
  client.Send(kOpen, 77, 0, std::string("shell:logcat -d\0", 16));
  auto okay = Receive(client);
  ASSERT_TRUE(okay);
  ASSERT_EQ(okay->header.command, kOkay);
  EXPECT_EQ(okay->header.arg1, 77u);
  const uint32_t local = okay->header.arg0;
  std::string log;
  for (;;) {
    auto m = Receive(client);
    ASSERT_TRUE(m);
    if (m->header.command == kClse) break;
    ASSERT_EQ(m->header.command, kWrte);
    EXPECT_LE(m->payload.size(), 4096u);
    log += m->payload;
    // Nothing more until acknowledged.
    loop_.Run(EventLoop::NowMs() + 30);
    EXPECT_FALSE(client.Next()) << "second WRTE before OKAY";
    client.Send(kOkay, 77, local);
    if (log.size() > 8192) break;
  }
  EXPECT_NE(log.find("filler line 0\r\n"), std::string::npos);
}

// Shell v2 counts as unknown on a panel that does not advertise it.
TEST_F(ConnectionTest, UnknownServiceIsRefusedAndTheConnectionStays) {
  RawClient client;
  Handshake(client);
  for (const std::string& service : {std::string("jdwp:1\0", 7), std::string("shell,v2,raw:getprop\0", 21)}) {
    client.Send(kOpen, 5, 0, service);
    auto refused = Receive(client);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->header.command, kClse);
    EXPECT_EQ(refused->header.arg1, 5u);
  }
  client.Send(kOpen, 6, 0, std::string("shell:getprop ro.app.name\0", 26));
  auto okay = Receive(client);
  ASSERT_TRUE(okay);
  EXPECT_EQ(okay->header.command, kOkay);
  auto data = Receive(client);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->payload, "QN\r\n");
}

}  // namespace
}  // namespace sim
