// DeviceListController: the main window's device list without the native
// window - building the rows from the saved configuration, the one-second
// ticks (rows and status line), the sort order, and stopping every row.
//
// The main window (BasicForm) owns one controller, created in its
// initialisation hook once the layout is built, and calls:
//   - RefreshRows() then RefreshStatusLine() from its two repeated one-second
//     weak callbacks;
//   - StopAllDevices() then RebuildDeviceList() from the settings window's
//     saved-callback;
//   - StopAllDevices() from its close handler, before it posts the quit.
// Toasts are the window's own: the controller hands their text to the
// `show_toast` function it was given - on the UI thread, also for a fleet
// record that cannot be written (posted there from the record's thread), so
// `show_toast` must do nothing once the window is gone (a weak callback).
//
// The fleet record: every row's passes go to history.csv in the data folder
// (FleetHistory); each rebuild starts a new run of it.
//
// Ownership: the window owns the list box "forms" and, through it, the rows;
// the controller only points at the list and the label "status_label" of the
// window's tree, which must outlive it.
//
// Threads: UI thread only. Workers reach the UI thread only through the
// closures their rows post (see device_item.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/fleet_history.h"
#include "engine/device_worker.h"
#include "ui/controls/label.h"

namespace ui {
class ListBox;
class Window;
}  // namespace ui

// The list's sort order: connected rows first, then by the four numeric
// octets of the address (10.0.0.2 before 10.0.0.10); an address that scans
// to fewer fields sorts first. Negative: a before b. Reads each row's
// sort_connected() snapshot, never the live flag a worker may change during
// the sort. `context` is not used.
int CompareDeviceRows(ui::Control* a, ui::Control* b, uintptr_t context);

struct DeviceCounts {
  int connected = 0;    // passed the adb connect step less than 3 s ago
  int upgrading = 0;    // an upgrade is being followed
  int unreachable = 0;  // the last probe failed (or none has run yet)
};

// "已连接数量：%d    正在升级数量：%d    无法连接数量：%d ".
std::wstring StatusLineText(const DeviceCounts& counts);

class DeviceListController {
 public:
  using ShowToast = std::function<void(const std::wstring& text)>;

  static constexpr int kListScrollUnit = 192;
  static constexpr std::uint64_t kConnectedWindowMs = 3000;

  // Finds "status_label" in `window` and shows the counts 0, 0, 0. Rows get
  // `row_options` for their workers.
  DeviceListController(ui::Window* window, ShowToast show_toast, WorkerOptions row_options = {});
  DeviceListController(const DeviceListController&) = delete;
  DeviceListController& operator=(const DeviceListController&) = delete;

  // Checks, in this order, that the update file is a regular file ("未找到
  // 升级文件"), that a target version is set ("未设置目标版本") and that the
  // address list is not empty ("IP配置为空"); the first failure is shown and
  // the list stays as it is (empty after StopAllDevices). Then starts the adb
  // server once (bounded: at most 10 s), a new run of the fleet record, and
  // adds one started row per address (a row whose worker cannot start is
  // listed with the reason in red).
  void RebuildDeviceList();

  // Stops every row, ends this program's adb children so that blocked
  // commands return (the adb server and other programs' sessions on it keep
  // running), then removes and destroys every row - its worker joined - while
  // still ending any child that appears meanwhile.
  // Forgets the connection states. Nothing before the first rebuild.
  void StopAllDevices();

  // Refreshes every row's labels and re-sorts the list when a connected flag
  // changed since the last tick.
  void RefreshRows();
  // Shows the counts of CountDevices(now) in the status label.
  void RefreshStatusLine();
  DeviceCounts CountDevices(std::uint64_t now_ms) const;

  // Null until the first rebuild (or when the window has no "forms").
  ui::ListBox* forms_list() const { return forms_list_; }
  const std::map<std::wstring, bool>& connected_by_address() const {
    return connected_by_address_;
  }

 private:
  // Shows a failure of the record at `path` as a toast, posted to the UI
  // thread.
  FleetHistory::FailureHook HistoryFailureToast(const std::wstring& path) const;

  ui::Window* const window_;
  const ShowToast show_toast_;
  const WorkerOptions row_options_;
  ui::ListBox* forms_list_ = nullptr;
  ui::Label* status_label_ = nullptr;
  std::map<std::wstring, bool> connected_by_address_;
  // Shared with the rows' hooks: rows may be destroyed after the controller.
  std::shared_ptr<FleetHistory> history_;
};
