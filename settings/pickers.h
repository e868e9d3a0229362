// File and folder pickers: the system's dialogs as a child process.
//
// On Linux the dialog is "zenity" (or "kdialog" when zenity is missing),
// found on PATH and run with an argv array, never through a shell. Without
// either program a pick ends with PickerStatus::kUnavailable, which callers
// turn into a message for the user; cancel and dialog errors are not
// reported.
//
// Threads: the synchronous functions block their caller until the dialog
// closes, so the UI thread uses the asynchronous forms. Those run the dialog
// on a helper thread and post the result to the UI thread (ThreadRegistry
// identifier 0), where the callback runs; without a registered UI thread the
// result is dropped. Ownership and shutdown: the returned PickerOperation
// owns the dialog; destroying it (UI thread) closes a dialog still open,
// joins the helper and guarantees that the callback will not run any more.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The native id of a window (an X11 window); 0 for none.
using WindowHandle = uintptr_t;

// Option bits of PickerRequest::options.
enum PickerOption : uint32_t {
  kPickerMultiSelect = 0x001,
  kPickerFileMustExist = 0x002,
  kPickerShowReadOnly = 0x004,
  kPickerFollowLinks = 0x008,
  kPickerNetworkButton = 0x010,
  kPickerCreatePrompt = 0x020,
  kPickerOverwritePrompt = 0x040,
  kPickerPathMustExist = 0x080,
  kPickerAddToRecent = 0x100,
};

// Dialog kinds of ShowFileDialog.
enum PickerKind : int {
  kPickerOpen = 0,
  kPickerOpenPreview = 1,
  kPickerSave = 2,
  kPickerSavePreview = 3,
};

struct PickerRequest {
  // "name|pattern|name|pattern..."; several patterns of one entry are
  // separated by ';'. Empty: no type filter.
  std::wstring filter;
  std::wstring title;             // empty: the dialog's default
  std::wstring defaultExtension;  // appended to a saved name without one
  std::wstring initialDirectory;  // empty: the dialog's choice
  std::wstring initialFile;       // pre-selected or pre-filled name
  uint32_t options = 0;
  WindowHandle owner = 0;
};

enum class PickerStatus { kChosen, kCancelled, kUnavailable };

struct PickerResult {
  PickerStatus status = PickerStatus::kCancelled;
  // Full paths; at least one when status is kChosen.
  std::vector<std::wstring> paths;
};

// --- Synchronous (blocking) -------------------------------------------------

// Runs one file dialog of `kind` for `owner` and waits for it.
PickerResult RunFileDialog(WindowHandle owner, int kind, const PickerRequest& request);
// Runs the folder dialog titled "请选择文件夹"; any folder can be chosen.
PickerResult RunFolderDialog(WindowHandle owner);

// On a choice replaces `results` with the chosen paths and returns true;
// false on cancel, failure, no dialog program, or a kind outside 0-3 (then
// no dialog is shown).
bool ShowFileDialog(WindowHandle owner, int kind, const PickerRequest& request,
                    std::vector<std::wstring>& results);
// The first path chosen in an open dialog for request.owner; empty if none.
std::wstring PickFile(const PickerRequest& request);
// The chosen folder; empty on cancel.
std::wstring PickFolder(WindowHandle owner);

// --- Asynchronous (UI thread) -----------------------------------------------

using PickerCallback = std::function<void(const PickerResult&)>;

// One dialog started asynchronously. Destroy it on the UI thread.
class PickerOperation {
 public:
  struct State;
  explicit PickerOperation(std::unique_ptr<State> state);
  ~PickerOperation();
  PickerOperation(const PickerOperation&) = delete;
  PickerOperation& operator=(const PickerOperation&) = delete;

 private:
  std::unique_ptr<State> state_;
};

// Start the dialog and return at once; `callback` runs later on the UI
// thread with the outcome (kUnavailable too), unless the operation was
// destroyed first. A kind outside 0-3 calls back with kCancelled.
std::unique_ptr<PickerOperation> PickFileAsync(const PickerRequest& request,
                                               PickerCallback callback, int kind = kPickerOpen);
std::unique_ptr<PickerOperation> PickFolderAsync(WindowHandle owner, PickerCallback callback);
