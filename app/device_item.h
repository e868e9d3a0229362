// DeviceItem: one row of the main window's device list, and the owner of the
// worker that upgrades the row's panel.
//
// Build the row's children from "fleet_sync/device_item.xml" (FillBox), call
// Init, then add the row to its list box, which owns it from then on. Init
// starts the worker; its first pass runs at once. After every pass the worker
// posts a weak closure to the UI thread (registry id 0) that wakes it one
// second later, so the pause between passes is paced by the UI loop and a
// destroyed row's pending wake does nothing. The worker never touches a
// control: the row shows the worker's state on the main window's tick
// (Refresh).
//
// Threads: everything here is for the UI thread, except Wake (any thread).
// The weak callback the worker posts is built here, on the UI thread, before
// the worker starts; the worker only ever copies and posts it.
//
// Shutdown: the destructor stops the worker (its adb children are killed and
// no new ones start) and joins it, so it waits only for the pass to notice.
// The delete button stops the worker at once and removes the row through a
// posted task, never inside its own click handler.
#pragma once

#include <memory>
#include <string>

#include "engine/device_worker.h"
#include "ui/controls/button.h"
#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"

class DeviceItem : public ui::ListContainerElement {
 public:
  DeviceItem() = default;
  ~DeviceItem() override;

  // Finds the row's controls, shows the address, wires and hides the delete
  // button and starts the worker. Call once, after the layout is built. False
  // when the worker thread cannot be started: the row is then inert and
  // shows why in red ("无法启动升级线程：…"). `on_pass_done` gets every
  // pass's report on the worker thread (the fleet record).
  bool Init(const std::wstring& address, const UpgradeSettings& settings,
            const WorkerOptions& options = {}, DeviceWorker::PassDoneHook on_pass_done = {});

  // The main window's one-second tick: title enabled while the last probe
  // succeeded, then the worker's current display record. Nothing once the
  // row is stopped or when its layout has no state label.
  void Refresh();
  // Shows a record: time label, state colour ("black" / "red" by kind; other
  // kinds keep the colour), state text.
  void ApplyState(const StateRecord& record);

  // Lets the worker run one more pass (count 1, maximum 1).
  void Wake();
  // Ends the worker's passes: clears running, kills the row's adb children
  // and refuses new ones, wakes a waiting worker. The thread is joined by the
  // destructor.
  void Stop();

  // The worker's fields the main window reads; defaults before Init.
  const std::wstring& address() const { return address_; }
  bool running() const { return worker_ && worker_->running(); }
  bool connected() const { return worker_ && worker_->connected(); }
  std::uint64_t connect_tick() const { return worker_ ? worker_->connect_tick() : 0; }
  std::int64_t upgrade_start() const { return worker_ ? worker_->upgrade_start() : -1; }

  // The connected flag as the list last sorted by it. UI thread; set by the
  // list logic before each sort so that the order never changes mid-sort.
  bool sort_connected() const { return sort_connected_; }
  void set_sort_connected(bool connected) { sort_connected_ = connected; }

  ui::Label* title_label() const { return title_label_; }
  ui::Label* state_label() const { return state_label_; }
  ui::Label* time_label() const { return time_label_; }
  ui::Button* delete_button() const { return delete_button_; }

 private:
  bool OnDeleteClicked();

  ui::Label* title_label_ = nullptr;
  ui::Label* state_label_ = nullptr;
  ui::Label* time_label_ = nullptr;
  ui::Button* delete_button_ = nullptr;
  std::wstring address_;
  bool sort_connected_ = false;
  std::unique_ptr<DeviceWorker> worker_;
};
