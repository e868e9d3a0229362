#include "sim/adb_connection.h"

#include <sys/epoll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "sim/adb_message.h"

namespace sim {
class AdbConnection::Stream : public StreamOutput {
 public:
  Stream(AdbConnection& connection, uint32_t local_id, uint32_t remote_id,
         std::unique_ptr<Service> service)
      : connection_(connection), local_id_(local_id), remote_id_(remote_id),
        service_(std::move(service)) {}

  void Send(std::string_view bytes) override {
    if (done_ || finishing_ || connection_.closed_) return;
    pending_.append(bytes);
    Pump();
  }
  void Finish() override {
    finishing_ = true;
    Pump();
  }
  void DropConnection() override { connection_.Shutdown(); }
  void Stall() override { stalled_ = true; }
  uint32_t MaxPayload() const override { return connection_.max_payload_; }

  Service& service() { return *service_; }
  bool done() const { return done_; }
  bool stalled() const { return stalled_; }
  uint32_t remote_id() const { return remote_id_; }

  void OnAcknowledged() {
    awaiting_ack_ = false;
    Pump();
    if (!done_ && !finishing_ && !awaiting_ack_ && pending_.empty()) service_->OnDrained(*this);
  }
  // The host closed its end: nothing more may be sent.
  void MarkDone() { done_ = true; }

 private:
  void Pump() {
    if (done_ || awaiting_ack_ || connection_.closed_) return;
    if (sent_ < pending_.size()) {
      const size_t chunk = std::min<size_t>(pending_.size() - sent_, connection_.max_payload_);
      connection_.Queue(kWrte, local_id_, remote_id_, std::string_view(pending_).substr(sent_, chunk));
      sent_ += chunk;
      awaiting_ack_ = true;
      if (sent_ == pending_.size()) {
        pending_.clear();
        sent_ = 0;
      } else if (sent_ > pending_.size() / 2) {
        pending_.erase(0, sent_);
        sent_ = 0;
      }
      return;
    }
    if (finishing_) {
      connection_.Queue(kClse, local_id_, remote_id_);
      done_ = true;
    }
  }

  AdbConnection& connection_;
  const uint32_t local_id_;
  const uint32_t remote_id_;
  std::unique_ptr<Service> service_;
  std::string pending_;
  size_t sent_ = 0;
  bool awaiting_ack_ = false;
  bool finishing_ = false;
  bool done_ = false;
  bool stalled_ = false;
};

AdbConnection::AdbConnection(EventLoop& loop, platform::UniqueFd socket, ConnectionHost& host,
                             uint64_t id)
    : loop_(loop), socket_(std::move(socket)), host_(host), id_(id),
      max_payload_(host.OwnMaxPayload()), read_limit_(host.RateLimit()),
      write_limit_(host.RateLimit()) {
  loop_.Watch(socket_.get(), EPOLLIN, [this](uint32_t events) { OnEvents(events); });
}

AdbConnection::~AdbConnection() {
  if (resume_timer_) loop_.Cancel(resume_timer_);
  if (socket_.valid() && !frozen_) loop_.Unwatch(socket_.get());
  streams_.clear();  // services go before the socket
}

void AdbConnection::Shutdown() {
  if (closed_) return;
  closed_ = true;
  if (resume_timer_) loop_.Cancel(resume_timer_);
  resume_timer_ = 0;
  if (!frozen_) loop_.Unwatch(socket_.get());
  socket_.Reset();
  host_.OnConnectionClosed(id_);
}

void AdbConnection::Freeze() {
  if (closed_ || frozen_) return;
  frozen_ = true;
  if (resume_timer_) loop_.Cancel(resume_timer_);
  resume_timer_ = 0;
  loop_.Unwatch(socket_.get());
}

void AdbConnection::OnEvents(uint32_t events) {
  if (events & EPOLLOUT) FlushOutput();
  if (!closed_ && (events & (EPOLLIN | EPOLLHUP | EPOLLERR))) ReadAvailable();
  if (!closed_) {
    SweepFinishedStreams();
    UpdateInterest();
  }
}

void AdbConnection::ReadAvailable() {
  std::vector<char>& scratch = loop_.ReadBuffer();
  const size_t allowed = std::min(scratch.size(), read_limit_.Available(EventLoop::NowMs()));
  if (allowed == 0) {
    ResumeLater();
    return;
  }
  const ssize_t got = ::recv(socket_.get(), scratch.data(), allowed, 0);
  if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (got <= 0) {
    Shutdown();
    return;
  }
  read_limit_.Consume(size_t(got));
  if (!host_.AnswersHandshake()) return;  // a hung panel reads and ignores
  Consume(std::string_view(scratch.data(), size_t(got)));
}

void AdbConnection::Consume(std::string_view data) {
  while (!data.empty() && !closed_ && !frozen_) {
    if (payload_remaining_ > 0) {
      // WRTE payloads reach the service piece by piece, so a connection never
      // holds a whole payload; the OKAY follows the last piece.
      const size_t take = std::min<size_t>(payload_remaining_, data.size());
      auto it = streams_.find(payload_stream_);
      Stream* stream = it == streams_.end() || it->second->done() ? nullptr : it->second.get();
      if (stream) stream->service().OnData(data.substr(0, take), *stream);
      data.remove_prefix(take);
      payload_remaining_ -= uint32_t(take);
      continue;
    }
    const size_t header_take = std::min(data.size(), kHeaderSize - std::min(kHeaderSize, message_.size()));
    message_.append(data.substr(0, header_take));
    data.remove_prefix(header_take);
    if (message_.size() < kHeaderSize) return;
    const auto header = DecodeHeader(message_);
    if (!header || !IsKnownCommand(header->command) ||
        header->data_length > host_.OwnMaxPayload() ||
        (!connected_ && header->command != kCnxn)) {  // a host speaks CNXN first
      Shutdown();
      return;
    }
    if (header->command == kWrte && header->data_length > 0) {
      message_.clear();
      payload_remaining_ = header->data_length;
      payload_stream_ = header->arg1;
      auto it = streams_.find(payload_stream_);
      if (it == streams_.end() || it->second->done() || it->second->remote_id() != header->arg0 ||
          it->second->stalled()) {
        payload_stream_ = 0;  // not a live stream of the host's (or a stalled one): discard
        continue;
      }
      // Acknowledged at once: the payload is consumed as it arrives (TCP holds
      // the host back meanwhile), and the host can read its next chunk while
      // this one is still on the wire.
      Queue(kOkay, payload_stream_, header->arg0);
      continue;
    }
    const size_t payload_take =
        std::min(data.size(), kHeaderSize + header->data_length - message_.size());
    message_.append(data.substr(0, payload_take));
    data.remove_prefix(payload_take);
    if (message_.size() < kHeaderSize + header->data_length) return;
    const std::string payload = message_.substr(kHeaderSize);
    message_.clear();
    HandleMessage(header->command, header->arg0, header->arg1, payload);
  }
}

void AdbConnection::HandleMessage(uint32_t command, uint32_t arg0, uint32_t arg1,
                                  std::string_view payload) {
  if (command == kCnxn) {
    max_payload_ = std::min(host_.OwnMaxPayload(), std::max<uint32_t>(arg1, 4096));
    connected_ = true;
    Queue(kCnxn, kDeviceVersion, max_payload_, host_.Banner());
    return;
  }
  if (command == kOpen) {
    HandleOpen(arg0, payload);
    return;
  }
  auto it = streams_.find(arg1);
  if (it == streams_.end() || it->second->done()) return;  // late message for a closed stream
  Stream& stream = *it->second;
  if (stream.remote_id() != arg0 && command != kClse) return;
  if (command == kOkay) {
    stream.OnAcknowledged();
  } else if (command == kWrte) {  // an empty one; others arrive through Consume
    Queue(kOkay, arg1, arg0);
  } else if (command == kClse) {
    stream.MarkDone();
  }
}

void AdbConnection::HandleOpen(uint32_t remote_id, std::string_view payload) {
  if (remote_id == 0) {
    Shutdown();
    return;
  }
  while (!payload.empty() && payload.back() == '\0') payload.remove_suffix(1);
  std::unique_ptr<Service> service = host_.OpenService(std::string(payload));
  if (closed_) return;
  if (!service) {
    Queue(kClse, 0, remote_id);
    return;
  }
  const uint32_t local_id = next_stream_id_++;
  if (next_stream_id_ == 0) next_stream_id_ = 1;
  auto stream = std::make_unique<Stream>(*this, local_id, remote_id, std::move(service));
  Stream& ref = *stream;
  streams_[local_id] = std::move(stream);
  Queue(kOkay, local_id, remote_id);
  ref.service().Start(ref);
}

void AdbConnection::Queue(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload) {
  if (closed_) return;
  AppendMessage(output_, command, arg0, arg1, payload);
  FlushOutput();
}

void AdbConnection::FlushOutput() {
  while (!closed_ && !frozen_ && !throttled_ && output_sent_ < output_.size()) {
    const size_t allowed =
        std::min(output_.size() - output_sent_, write_limit_.Available(EventLoop::NowMs()));
    if (allowed == 0) {
      ResumeLater();
      return;
    }
    const ssize_t sent = ::send(socket_.get(), output_.data() + output_sent_, allowed, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno == EAGAIN) break;
    if (sent <= 0) {
      Shutdown();
      return;
    }
    write_limit_.Consume(size_t(sent));
    output_sent_ += size_t(sent);
  }
  if (output_sent_ == output_.size()) {
    output_.clear();
    output_sent_ = 0;
  } else if (output_sent_ > 1024 * 1024) {
    output_.erase(0, output_sent_);
    output_sent_ = 0;
  }
  UpdateInterest();
}

void AdbConnection::UpdateInterest() {
  if (closed_ || frozen_) return;
  uint32_t events = 0;
  if (!throttled_) {
    events = EPOLLIN;
    if (output_sent_ < output_.size()) events |= EPOLLOUT;
  }
  loop_.SetInterest(socket_.get(), events);
}

void AdbConnection::ResumeLater() {
  if (throttled_) return;
  throttled_ = true;
  UpdateInterest();
  resume_timer_ = loop_.After(read_limit_.WaitMs(), [this] {
    resume_timer_ = 0;
    throttled_ = false;
    FlushOutput();
  });
}

void AdbConnection::SweepFinishedStreams() {
  for (auto it = streams_.begin(); it != streams_.end();) {
    if (it->second->done()) it = streams_.erase(it);
    else ++it;
  }
}

}  // namespace sim
