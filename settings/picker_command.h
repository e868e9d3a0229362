// How a pick becomes a dialog program's command line, and how its answer is
// read back. Pure functions without state; any thread.
#pragma once

#include <string>
#include <vector>

#include "settings/pickers.h"

// One type entry of a file dialog's filter.
struct FilterEntry {
  std::wstring name;
  std::wstring pattern;  // ';'-separated patterns, as written in the filter
};

// Splits "name|pattern|name|pattern" into entries. Without any '|' there is
// no entry; an odd number of '|' ends the last pattern at the end of the
// text; with an even, non-zero number (a name without its pattern at the
// end) the text after the last '|' is dropped.
std::vector<FilterEntry> ConvertFilter(const std::wstring& filter);

// The longest argument a child gets (the kernel refuses longer ones,
// MAX_ARG_STRLEN including the terminating NUL). An initial file of any
// length up to that is passed whole; a longer one is left out, so the
// dialog still opens.
inline constexpr size_t kMaxArgumentBytes = 131072 - 1;

struct DialogCommand {
  // argv[0] is the dialog program's full path. Empty when there is none.
  std::vector<std::string> argv;
  bool multiple = false;           // the answer lists several paths
  std::wstring default_extension;  // for save dialogs: added to a bare name
};

// Full path of "zenity" on PATH, else of "kdialog", else empty.
std::string FindDialogProgram();

// Command of a file dialog of `kind` (0-3) run by `program` (a path to
// zenity or kdialog, told apart by its file name).
DialogCommand FileDialogCommand(const std::string& program, int kind,
                                const PickerRequest& request);
// Command of the folder dialog.
DialogCommand FolderDialogCommand(const std::string& program, WindowHandle owner);

// The outcome of a dialog that exited with `exit_code` after printing
// `output`: exit 0 with at least one path is a choice; anything else, or
// output that is not UTF-8, is a cancel. Several paths come one a line.
PickerResult ReadDialogAnswer(const DialogCommand& command, int exit_code,
                              const std::string& output);
