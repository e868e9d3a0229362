#include "settings/pickers.h"

#include <thread>
#include <utility>

#include "base/thread_registry.h"
#include "base/weak_callback.h"
#include "settings/dialog_process.h"
#include "settings/picker_command.h"

namespace {

constexpr int kUiThreadId = 0;

bool IsValidKind(int kind) { return kind >= kPickerOpen && kind <= kPickerSavePreview; }

PickerResult RunCommand(const DialogCommand& command, DialogProcess& process) {
  PickerResult result;
  if (command.argv.empty()) {
    result.status = PickerStatus::kUnavailable;
    return result;
  }
  const DialogProcess::Outcome outcome = process.Run(command.argv);
  if (!outcome.started) {
    result.status = PickerStatus::kUnavailable;
    return result;
  }
  return ReadDialogAnswer(command, outcome.exit_code, outcome.output);
}

PickerResult RunCommand(const DialogCommand& command) {
  DialogProcess process;
  return RunCommand(command, process);
}

}  // namespace

PickerResult RunFileDialog(WindowHandle owner, int kind, const PickerRequest& request) {
  if (!IsValidKind(kind)) return {};
  PickerRequest owned = request;
  owned.owner = owner;
  return RunCommand(FileDialogCommand(FindDialogProgram(), kind, owned));
}

PickerResult RunFolderDialog(WindowHandle owner) {
  return RunCommand(FolderDialogCommand(FindDialogProgram(), owner));
}

bool ShowFileDialog(WindowHandle owner, int kind, const PickerRequest& request,
                    std::vector<std::wstring>& results) {
  PickerResult result = RunFileDialog(owner, kind, request);
  if (result.status != PickerStatus::kChosen) return false;
  results = std::move(result.paths);
  return true;
}

std::wstring PickFile(const PickerRequest& request) {
  std::vector<std::wstring> results;
  if (!ShowFileDialog(request.owner, kPickerOpen, request, results) || results.empty()) return {};
  return results.front();
}

std::wstring PickFolder(WindowHandle owner) {
  PickerResult result = RunFolderDialog(owner);
  return result.status == PickerStatus::kChosen ? result.paths.front() : std::wstring();
}

// --- Asynchronous -----------------------------------------------------------

struct PickerOperation::State {
  // Expired first when the operation goes, so a result posted meanwhile
  // is dropped on the UI thread.
  vbase::WeakCallbackFlag alive;
  PickerCallback callback;
  DialogProcess process;
  std::thread helper;
};

PickerOperation::PickerOperation(std::unique_ptr<State> state) : state_(std::move(state)) {}

PickerOperation::~PickerOperation() {
  if (!state_) return;
  state_->alive.Cancel();
  state_->process.Cancel();
  if (state_->helper.joinable()) state_->helper.join();
}

namespace {

// Runs `run` on a helper thread and delivers its result on the UI thread.
std::unique_ptr<PickerOperation> StartPicker(std::function<PickerResult(DialogProcess&)> run,
                                             PickerCallback callback) {
  auto state = std::make_unique<PickerOperation::State>();
  state->callback = std::move(callback);
  PickerOperation::State* raw = state.get();
  // Bound here, on the UI thread; the helper only posts it.
  auto deliver = raw->alive.ToWeakCallback([raw](const PickerResult& result) {
    // Moved out first: the callback may destroy the operation.
    PickerCallback callback = std::move(raw->callback);
    if (callback) callback(result);
  });
  raw->helper = std::thread([raw, deliver, run = std::move(run)] {
    PickerResult result = run(raw->process);
    vbase::ThreadRegistry::PostTask(kUiThreadId,
                                    [deliver, result = std::move(result)] { deliver(result); });
  });
  return std::make_unique<PickerOperation>(std::move(state));
}

std::function<PickerResult(DialogProcess&)> Running(DialogCommand command) {
  return [command = std::move(command)](DialogProcess& process) {
    return RunCommand(command, process);
  };
}

}  // namespace

std::unique_ptr<PickerOperation> PickFileAsync(const PickerRequest& request,
                                               PickerCallback callback, int kind) {
  // The program is looked up here: the environment is read on the UI thread.
  if (!IsValidKind(kind))
    return StartPicker([](DialogProcess&) { return PickerResult{}; }, std::move(callback));
  return StartPicker(Running(FileDialogCommand(FindDialogProgram(), kind, request)),
                     std::move(callback));
}

std::unique_ptr<PickerOperation> PickFolderAsync(WindowHandle owner, PickerCallback callback) {
  return StartPicker(Running(FolderDialogCommand(FindDialogProgram(), owner)),
                     std::move(callback));
}
