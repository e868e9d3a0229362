// Checks on the files a pass would push, made before the panel is touched.
//
// A configured file that adb cannot push is otherwise found only at its push:
// after the panel's HMI was stopped (its screen goes dark) and after the
// update image was sent, on every pass. Pure file-system checks; any thread.
#pragma once

#include <string>

#include "engine/upgrade_settings.h"

// Why the file at `path` cannot be pushed, or empty when it can: it must be a
// readable regular file (a folder, a device or a FIFO is not).
std::wstring LocalFileProblem(const std::wstring& path);

// The first configured file of `settings` (update image, then boot logo) that
// cannot be pushed, as a row shows it: "升级文件无法使用：<path>（<why>）" or
// "开机LOGO无法使用：…"; empty when every configured file can be pushed.
std::wstring StagedFilesProblem(const UpgradeSettings& settings);
