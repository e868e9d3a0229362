#include "engine/command_runner.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "engine/child_group.h"
#include "engine/process.h"
#include "platform/executable_path.h"
#include "platform/file_attributes.h"
#include "platform/process_command_line.h"

namespace {

[[noreturn]] void Fail(const std::wstring& message) {
  throw std::runtime_error(Utf16ToUtf8(message));
}

void ThrowIfCancelled(const ChildGroup* group) {
  if (group && group->IsCancelled()) Fail(L"command cancelled");
}

// read() that retries when a signal interrupts it.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool IsAscii(std::string_view bytes) {
  unsigned char any_high = 0;
  for (const char c : bytes) any_high |= static_cast<unsigned char>(c);
  return any_high < 0x80;
}

// Appends a read's complete characters. Most output is ASCII, which decodes
// to itself; widening it in place spares the decoder's temporary string.
void AppendDecoded(std::wstring& output, std::string_view bytes) {
  if (IsAscii(bytes)) {
    const std::size_t start = output.size();
    output.resize(start + bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) output[start + i] = static_cast<wchar_t>(bytes[i]);
  } else {
    output += Utf8ToUtf16(bytes);
  }
}

// Reads until every writer has closed the pipe. The stream is decoded read by
// read, but the start of a character that the read boundary cut is carried
// over to the next read, so a boundary never destroys a character; only a
// read holding bytes that are truly not UTF-8 adds nothing. A sequence still
// unfinished at the end is cut off and adds nothing either.
std::wstring CaptureOutput(Process& process) {
  constexpr std::size_t kReadSize = 1024;
  constexpr std::size_t kMaxCarry = 3;  // an unfinished sequence is at most 3 bytes
  char buffer[kMaxCarry + kReadSize];
  std::size_t carried = 0;
  std::wstring output;
  for (;;) {
    const ssize_t n = ReadSome(process.output_fd(), buffer + carried, kReadSize);
    if (n == 0) break;
    if (n < 0) {
      // Nothing more can be read; closing our ends lets a child blocked on
      // a full pipe fail its write and exit instead of blocking the wait.
      process.Close();
      break;
    }
    const std::size_t size = carried + static_cast<std::size_t>(n);
    const std::size_t complete = CompleteUtf8Prefix(std::string_view(buffer, size));
    AppendDecoded(output, std::string_view(buffer, complete));
    carried = size - complete;
    std::memmove(buffer, buffer + complete, carried);
  }
  return output;
}

CommandResult RunArguments(const std::vector<std::string>& argv, ChildGroup* group) {
  ThrowIfCancelled(group);
  Process process(std::wstring(), group);
  if (const int code = process.Start(argv)) Fail(FormatString(L"can not create process, error(%d)", code));
  CommandResult result;
  result.output = CaptureOutput(process);
  int exit_code = -1;
  if (!process.WaitForExit(exit_code)) Fail(FormatString(L"wait for exit failed, error(%d)", -2));
  ThrowIfCancelled(group);
  result.exit_code = exit_code;
  return result;
}

bool IsEnclosedInQuotes(std::wstring_view token) {
  return token.size() >= 2 && token.front() == L'"' && token.back() == L'"';
}

[[noreturn]] void RejectToken(const std::wstring& token) {
  Fail(FormatString(L"invalid adb argument: %s", token.c_str()));
}

// A token that names a local or remote file: exactly one argument.
std::string PathArgument(const std::wstring& token) {
  std::wstring path = token.substr(1, token.size() - 2);
  if (path.find(L'"') != std::wstring::npos) RejectToken(token);
  // adb would read a leading '-' as an option.
  if (!path.empty() && path.front() == L'-') path.insert(0, L"./");
  return Utf16ToUtf8(path);
}

// The serial after "-s" or the address after "connect" / "disconnect": exactly one argument.
std::string ValueArgument(const std::wstring& token) {
  const std::wstring value = IsEnclosedInQuotes(token) ? token.substr(1, token.size() - 2) : token;
  if (value.empty() || value.front() == L'-' || value.find(L'"') != std::wstring::npos)
    RejectToken(token);
  return Utf16ToUtf8(value);
}

// "-s", "connect" and "disconnect" as tokens of their own, as callers pass
// them ("connect " keeps the blank the command line shows).
bool TakesValue(const std::wstring& token) {
  const std::vector<std::wstring> words = platform::SplitCommandLine(token);
  return words.size() == 1 &&
         (words.front() == L"-s" || words.front() == L"connect" || words.front() == L"disconnect");
}

std::wstring JoinTokens(std::wstring first, const std::vector<std::wstring>& tokens) {
  for (const std::wstring& token : tokens) {
    first += L' ';
    first += token;
  }
  return first;
}

}  // namespace

CommandResult RunCommand(const std::wstring& command_line, ChildGroup* group) {
  return RunArguments(CommandLineArguments(command_line), group);
}

std::string LocateAdb(const std::string& program_folder) {
  if (!program_folder.empty()) {
    const std::string beside = program_folder + "adb/adb";
    if (platform::FileExists(beside)) return beside;
  }
  std::string on_path = platform::FindOnPath("adb");
  if (on_path.empty()) Fail(L"adb not found");
  return on_path;
}

std::wstring AdbCommandLine(const std::string& adb_path, const std::vector<std::wstring>& tokens) {
  return JoinTokens(L"\"" + Utf8ToUtf16(adb_path) + L"\"", tokens);
}

std::vector<std::string> AdbArguments(const std::string& adb_path,
                                      const std::vector<std::wstring>& tokens) {
  std::vector<std::string> argv{adb_path};
  bool value_expected = false;
  for (const std::wstring& token : tokens) {
    if (value_expected) {
      argv.push_back(ValueArgument(token));
      value_expected = false;
      continue;
    }
    if (IsEnclosedInQuotes(token)) {
      argv.push_back(PathArgument(token));
      continue;
    }
    for (const std::wstring& word : platform::SplitCommandLine(token))
      argv.push_back(Utf16ToUtf8(word));
    value_expected = TakesValue(token);
  }
  return argv;
}

CommandResult RunAdb(const std::vector<std::wstring>& tokens, ChildGroup* group) {
  ThrowIfCancelled(group);
  const std::string adb = LocateAdb(platform::ExecutableDirectory());
  return RunArguments(AdbArguments(adb, tokens), group);
}

CommandResult RunAdbStrict(const std::vector<std::wstring>& tokens, ChildGroup* group) {
  CommandResult result = RunAdb(tokens, group);
  if (result.exit_code != 0) {
    const std::wstring command = JoinTokens(L"adb", tokens);
    Fail(FormatString(L"%s failed, return value %d", command.c_str(), result.exit_code));
  }
  return result;
}

CommandResult StopAdbServer() { return RunAdb({L"kill-server"}); }

CommandResult StartAdbServer() { return RunAdb({L"start-server"}); }

std::wstring ExtractInterfaceMac(const std::wstring& output, const std::wstring& interface_name) {
  static constexpr std::wstring_view kMarker = L"HWaddr";
  std::size_t begin = 0;
  while (begin < output.size()) {
    std::size_t end = output.find(L'\n', begin);
    if (end == std::wstring::npos) end = output.size();
    const std::wstring_view line(output.data() + begin, end - begin);
    const std::size_t marker = line.find(kMarker);
    if (marker != std::wstring_view::npos &&
        line.find(interface_name) != std::wstring_view::npos) {
      std::wstring mac(line.substr(marker + kMarker.size()));
      return Trim(mac);
    }
    begin = end + 1;
  }
  return {};
}
