// BasicForm: the program's main window - the device list with its one-second
// ticks and status line, the title with the version and build stamp, and the
// settings button.
//
// Lifecycle: created with new on the UI thread, then Create(...) builds
// "fleet_sync/main.xml" and runs InitWindow, which posts the updater
// hand-over (200 ms later), starts the two repeated ticks (weak callbacks of
// this window, so they end with it) and shows page 1. The list stays empty
// until the first save in the settings window, whose saved-callback stops
// every row and builds the list anew.
//
// Shutdown: every way of closing (close button, Escape, the window manager,
// a stop signal through Close) ends in OnClose, which stops every row - their
// workers joined, this program's adb children ended - and posts the quit
// message. The window base deletes the object once its native window is
// gone.
//
// Threads: UI thread only.
#pragma once

#include <memory>
#include <string>

#include "app/device_list.h"
#include "ui/window/window_impl_base.h"

// The main window's class name (WM_CLASS) and its initial window text.
inline constexpr wchar_t kWindowClassName[] = L"批量升级";

class BasicForm : public ui::WindowImplBase {
 public:
  // `row_options` are handed to every row's worker (tests shorten waits).
  explicit BasicForm(WorkerOptions row_options = {});
  ~BasicForm() override;

  // Opens the settings window owned by this window, fake-modal; its save
  // stops every row and rebuilds the list. One at a time: while it is open
  // (two quick clicks), it only gets the focus again.
  void OpenSettings();

  // Null before Create.
  DeviceListController* device_list() const { return device_list_.get(); }

 protected:
  std::wstring GetWindowClassName() const override { return kWindowClassName; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override { return L"main.xml"; }
  void InitWindow() override;
  void OnClose() override;
  bool OnKeyDown(wchar_t key_code, uint32_t modifiers) override;

 private:
  // StopAllDevices that never throws: shutdown goes on whatever happens.
  void StopAllDevicesForShutdown();

  const WorkerOptions row_options_;
  std::unique_ptr<DeviceListController> device_list_;
  ui::WindowImplBase* settings_ = nullptr;
  std::weak_ptr<vbase::WeakFlag> settings_alive_;
};
