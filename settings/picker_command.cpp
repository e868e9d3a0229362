#include "settings/picker_command.h"

#include <cwctype>

#include "base/text.h"
#include "platform/executable_path.h"

namespace {

constexpr char kFolderTitle[] = "请选择文件夹";

bool IsKdialog(const std::string& program) {
  const size_t slash = program.rfind('/');
  return program.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos,
                         "kdialog") == 0;
}

bool IsSaveKind(int kind) { return kind == kPickerSave || kind == kPickerSavePreview; }

// What the dialog should open at: the folder and the file in it.
std::string StartPath(const PickerRequest& request) {
  std::string start = Utf16ToUtf8(request.initialDirectory);
  if (!start.empty() && start.back() != '/') start += '/';
  start += Utf16ToUtf8(request.initialFile);
  return start;
}

// ';'-separated Windows patterns become the blank-separated list both
// dialog programs expect. Windows matches names regardless of case (a
// panel's logo is boot_logo.JPG), so every letter matches both cases.
std::string PatternList(const std::wstring& pattern) {
  std::wstring list;
  bool in_brackets = false;
  for (const wchar_t c : pattern) {
    if (in_brackets || c == L'[') {
      in_brackets = c != L']';
      list += c;
    } else if (c == L';') {
      list += L' ';
    } else if (std::iswalpha(c) && std::towlower(c) != std::towupper(c)) {
      list += {L'[', static_cast<wchar_t>(std::towlower(c)), static_cast<wchar_t>(std::towupper(c)), L']'};
    } else {
      list += c;
    }
  }
  return Utf16ToUtf8(list);
}

void AddIfFits(std::vector<std::string>& argv, std::string argument) {
  if (argument.size() <= kMaxArgumentBytes) argv.push_back(std::move(argument));
}

DialogCommand ZenityFileCommand(const std::string& program, int kind,
                                const PickerRequest& request) {
  DialogCommand command;
  command.argv = {program, "--file-selection"};
  std::vector<std::string>& argv = command.argv;
  if (IsSaveKind(kind)) {
    argv.push_back("--save");
    if (request.options & kPickerOverwritePrompt) argv.push_back("--confirm-overwrite");
    command.default_extension = request.defaultExtension;
  }
  if (request.options & kPickerMultiSelect) {
    command.multiple = true;
    argv.push_back("--multiple");
    argv.push_back("--separator=\n");
  }
  if (!request.title.empty()) argv.push_back("--title=" + Utf16ToUtf8(request.title));
  if (request.owner) argv.push_back("--attach=" + std::to_string(request.owner));
  const std::string start = StartPath(request);
  if (!start.empty()) AddIfFits(argv, "--filename=" + start);
  for (const FilterEntry& entry : ConvertFilter(request.filter))
    argv.push_back("--file-filter=" + Utf16ToUtf8(entry.name) + " | " + PatternList(entry.pattern));
  return command;
}

DialogCommand KdialogFileCommand(const std::string& program, int kind,
                                 const PickerRequest& request) {
  DialogCommand command;
  command.argv = {program};
  std::vector<std::string>& argv = command.argv;
  if (!request.title.empty()) {
    argv.push_back("--title");
    argv.push_back(Utf16ToUtf8(request.title));
  }
  if (request.owner) {
    argv.push_back("--attach");
    argv.push_back(std::to_string(request.owner));
  }
  if (request.options & kPickerMultiSelect) {
    command.multiple = true;
    argv.push_back("--multiple");
    argv.push_back("--separate-output");
  }
  if (IsSaveKind(kind)) {
    argv.push_back("--getsavefilename");
    command.default_extension = request.defaultExtension;
  } else {
    argv.push_back("--getopenfilename");
  }
  std::string start = StartPath(request);
  if (start.empty() || start.size() > kMaxArgumentBytes) start = ".";
  argv.push_back(start);
  std::string filter;
  for (const FilterEntry& entry : ConvertFilter(request.filter)) {
    if (!filter.empty()) filter += '\n';
    filter += PatternList(entry.pattern) + "|" + Utf16ToUtf8(entry.name);
  }
  if (!filter.empty()) argv.push_back(filter);
  return command;
}

// A saved name without an extension gets the default one.
std::wstring WithDefaultExtension(std::wstring path, const std::wstring& extension) {
  if (extension.empty()) return path;
  const size_t slash = path.rfind(L'/');
  const size_t name_start = slash == std::wstring::npos ? 0 : slash + 1;
  if (path.find(L'.', name_start) != std::wstring::npos || name_start == path.size()) return path;
  if (extension.front() != L'.') path += L'.';
  return path + extension;
}

}  // namespace

std::vector<FilterEntry> ConvertFilter(const std::wstring& filter) {
  std::vector<size_t> splits;
  for (size_t i = 0; i < filter.size(); ++i) {
    if (filter[i] == L'|') splits.push_back(i);
  }
  if (splits.size() % 2 == 1) splits.push_back(filter.size());
  std::vector<FilterEntry> entries;
  size_t start = 0;
  for (size_t i = 0; i + 1 < splits.size(); i += 2) {
    FilterEntry entry;
    entry.name = filter.substr(start, splits[i] - start);
    entry.pattern = filter.substr(splits[i] + 1, splits[i + 1] - splits[i] - 1);
    start = splits[i + 1] + 1;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string FindDialogProgram() {
  std::string program = platform::FindOnPath("zenity");
  if (program.empty()) program = platform::FindOnPath("kdialog");
  return program;
}

DialogCommand FileDialogCommand(const std::string& program, int kind,
                                const PickerRequest& request) {
  if (program.empty()) return {};
  return IsKdialog(program) ? KdialogFileCommand(program, kind, request)
                            : ZenityFileCommand(program, kind, request);
}

DialogCommand FolderDialogCommand(const std::string& program, WindowHandle owner) {
  DialogCommand command;
  if (program.empty()) return command;
  if (IsKdialog(program)) {
    command.argv = {program, "--title", kFolderTitle};
    if (owner) {
      command.argv.push_back("--attach");
      command.argv.push_back(std::to_string(owner));
    }
    command.argv.push_back("--getexistingdirectory");
    command.argv.push_back(".");
  } else {
    command.argv = {program, "--file-selection", "--directory",
                    std::string("--title=") + kFolderTitle};
    if (owner) command.argv.push_back("--attach=" + std::to_string(owner));
  }
  return command;
}

PickerResult ReadDialogAnswer(const DialogCommand& command, int exit_code,
                              const std::string& output) {
  PickerResult result;
  if (exit_code != 0) return result;
  std::wstring text = Utf8ToUtf16(output);
  // The answer ends with one line feed; only a multiple answer splits.
  if (!text.empty() && text.back() == L'\n') text.pop_back();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = command.multiple ? text.find(L'\n', start) : std::wstring::npos;
    if (end == std::wstring::npos) end = text.size();
    if (end > start)
      result.paths.push_back(
          WithDefaultExtension(text.substr(start, end - start), command.default_extension));
    start = end + 1;
  }
  if (!result.paths.empty()) result.status = PickerStatus::kChosen;
  return result;
}
