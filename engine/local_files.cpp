#include "engine/local_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/text.h"

std::wstring LocalFileProblem(const std::wstring& path) {
  const std::string native = Utf16ToUtf8(path);
  struct stat info {};
  if (native.empty()) return L"文件不存在";
  if (stat(native.c_str(), &info) != 0) return errno == EACCES ? L"无法读取" : L"文件不存在";
  if (!S_ISREG(info.st_mode)) return L"不是普通文件";
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return L"无法读取";
  close(fd);
  return {};
}

std::wstring StagedFilesProblem(const UpgradeSettings& settings) {
  const struct {
    const wchar_t* label;
    const std::wstring& path;
  } files[] = {{L"升级文件", settings.update_file}, {L"开机LOGO", settings.boot_logo}};
  for (const auto& file : files) {
    if (file.path.empty()) continue;
    const std::wstring problem = LocalFileProblem(file.path);
    if (!problem.empty()) {
      return FormatString(L"%s无法使用：%s（%s）", file.label, file.path.c_str(), problem.c_str());
    }
  }
  return {};
}
