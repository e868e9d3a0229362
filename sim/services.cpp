#include "sim/services.h"

#include <algorithm>
#include <vector>

namespace sim {
namespace {

class ShellService : public Service, public LogFollower {
 public:
  ShellService(PanelServices& panel, std::string command, bool framed, bool terminal)
      : panel_(panel), command_(std::move(command)), framed_(framed), terminal_(terminal) {}
  ~ShellService() override {
    if (following_) panel_.RemoveLogFollower(this);
  }

  void Start(StreamOutput& output) override {
    output_ = &output;
    panel_.RecordCommand(command_);
    const ShellFault fault = panel_.FaultFor(command_);
    if (fault == ShellFault::kNeverAnswer) return;  // accepted, then nothing at all
    const ShellOutcome outcome = RunShellCommand(command_, panel_);
    Emit(outcome.output);
    if (outcome.follow_log) {
      following_ = true;
      panel_.AddLogFollower(this);
    }
    if (fault == ShellFault::kEndlessOutput) {
      endless_ = true;
      Emit(Noise());
      return;
    }
    if (following_) return;
    if (framed_) output.Send(ShellPacket(kShellExit, std::string(1, char(outcome.exit_code & 255))));
    output.Finish();
  }

  // Forwarded standard input (raw shells forward the client's stdin for
  // ever): acknowledged and dropped.
  void OnData(std::string_view, StreamOutput&) override {}

  void OnLogBytes(std::string_view bytes) override { Emit(bytes); }

  void OnDrained(StreamOutput&) override {
    if (endless_) Emit(Noise());
  }

 private:
  void Emit(std::string_view text) {
    if (text.empty()) return;
    const std::string bytes = terminal_ ? TerminalLines(text) : std::string(text);
    if (!framed_) {
      output_->Send(bytes);
      return;
    }
    const size_t chunk = output_->MaxPayload() - 5;
    for (size_t at = 0; at < bytes.size(); at += chunk)
      output_->Send(ShellPacket(kShellStdout, std::string_view(bytes).substr(at, chunk)));
  }

  PanelServices& panel_;
  const std::string command_;
  const bool framed_;
  const bool terminal_;
  // 64 KiB of lines that match nothing a host looks for.
  static const std::string& Noise() {
    static const std::string noise = [] {
      std::string text;
      while (text.size() < 64 * 1024) text += "flood 0123456789 abcdefghijklmnopqrstuvwxyz\n";
      return text;
    }();
    return noise;
  }

  StreamOutput* output_ = nullptr;
  bool following_ = false;
  bool endless_ = false;
};

class SyncService : public Service {
 public:
  explicit SyncService(PanelServices& panel) : session_(panel) {}

  void Start(StreamOutput&) override {}

  void OnData(std::string_view bytes, StreamOutput& output) override {
    if (stalled_) return;
    std::string reply;
    const SyncSession::Status status = session_.Feed(bytes, reply);
    if (!reply.empty()) output.Send(reply);
    if (status == SyncSession::Status::kCloseStream) output.Finish();
    if (status == SyncSession::Status::kDropConnection) output.DropConnection();
    if (status == SyncSession::Status::kStall) {
      stalled_ = true;
      output.Stall();
    }
  }

 private:
  SyncSession session_;
  bool stalled_ = false;
};

class RebootService : public Service {
 public:
  explicit RebootService(PanelServices& panel) : panel_(panel) {}
  void Start(StreamOutput& output) override {
    panel_.RecordCommand("reboot");
    output.Finish();
    panel_.RequestReboot();
  }
  void OnData(std::string_view, StreamOutput&) override {}

 private:
  PanelServices& panel_;
};

}  // namespace

std::string ShellPacket(ShellPacketId id, std::string_view data) {
  std::string packet(5, '\0');
  packet[0] = char(id);
  const uint32_t length = uint32_t(data.size());
  for (int i = 0; i < 4; ++i) packet[1 + i] = char(length >> (8 * i));
  packet.append(data);
  return packet;
}

std::string TerminalLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::unique_ptr<Service> CreateService(const std::string& name, PanelServices& panel) {
  if (name == "sync:") return std::make_unique<SyncService>(panel);
  if (name.rfind("reboot:", 0) == 0) return std::make_unique<RebootService>(panel);
  if (name.rfind("exec:", 0) == 0)
    return std::make_unique<ShellService>(panel, name.substr(5), false, false);
  if (name.rfind("shell", 0) != 0) return nullptr;
  const size_t colon = name.find(':');
  if (colon == std::string::npos) return nullptr;
  // "shell,v2,raw:cmd": options between the name and the colon.
  bool v2 = false;
  bool pty = false;
  const std::string options = name.substr(5, colon - 5);
  size_t start = 0;
  while (start < options.size()) {
    size_t end = options.find(',', start);
    if (end == std::string::npos) end = options.size();
    const std::string option = options.substr(start, end - start);
    if (option == "v2") v2 = true;
    else if (option == "pty") pty = true;
    else if (!option.empty() && option != "raw" && option.rfind("TERM=", 0) != 0) return nullptr;
    start = end + 1;
  }
  if (!options.empty() && options[0] != ',') return nullptr;
  if (v2 && !panel.ShellV2()) return nullptr;
  const std::string command = name.substr(colon + 1);
  const bool terminal = v2 ? pty : (panel.TerminalLineEnds() || pty);
  return std::make_unique<ShellService>(panel, command, v2, terminal);
}

}  // namespace sim
