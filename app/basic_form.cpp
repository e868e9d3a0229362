#include "app/basic_form.h"

#include <cstdio>
#include <exception>

#include "app/build_version.h"
#include "app/toast.h"
#include "app/update_launcher.h"
#include "base/text.h"
#include "base/thread_registry.h"
#include "base/ui_message_loop.h"
#include "settings/settings_form.h"
#include "ui/controls/label.h"
#include "ui/controls/tab_box.h"

namespace {

constexpr int kUiThread = 0;
constexpr int kEscapeKey = 27;
constexpr auto kUpdaterDelay = vbase::TimeDelta::FromMilliseconds(200);
constexpr auto kTickInterval = vbase::TimeDelta::FromSeconds(1);

}  // namespace

BasicForm::BasicForm(WorkerOptions row_options) : row_options_(row_options) {}

BasicForm::~BasicForm() {
  // Nothing bound to this window may run while its parts go.
  CancelWeakCallbacks();
}

void BasicForm::InitWindow() {
  vbase::ThreadRegistry::PostDelayedTask(kUiThread, [] { LaunchUpdater(); }, kUpdaterDelay);

  // Weak: a toast about the fleet record may be posted after this window went.
  device_list_ = std::make_unique<DeviceListController>(
      this, ToWeakCallback([this](const std::wstring& text) { ShowToast(text, this); }),
      row_options_);

  if (auto* title = dynamic_cast<ui::Label*>(FindControl(L"title"))) {
    title->SetText(FormatString(L"批量升级 %s+%s", Utf8ToUtf16(kAppVersion).c_str(),
                                BuildStamp().c_str()));
  }
  // Opened from a posted task, so the click is handled to its end first and
  // nothing opens once this window has gone.
  if (ui::Control* settings = FindControl(L"btn_settings")) {
    settings->AttachClick(ToWeakCallback([this](const ui::EventArgs&) {
      vbase::ThreadRegistry::PostTask(kUiThread, ToWeakCallback([this] { OpenSettings(); }));
      return true;
    }));
  }

  // Posted together with the same period, so each second the rows are
  // refreshed before the status line counts them.
  vbase::ThreadRegistry::PostRepeatedTask(
      ToWeakCallback([this] { device_list_->RefreshRows(); }), kTickInterval, -1);
  vbase::ThreadRegistry::PostRepeatedTask(
      ToWeakCallback([this] { device_list_->RefreshStatusLine(); }), kTickInterval, -1);

  if (auto* tab = dynamic_cast<ui::TabBox*>(FindControl(L"tab"))) tab->SelectItem(1);
}

void BasicForm::OpenSettings() {
  if (!settings_alive_.expired() && !settings_->IsClosing()) {
    if (ui::TopLevelHost* host = settings_->host()) host->SetNativeFocus();
    return;
  }
  // Weak: the settings window may outlive this one by its closing fade.
  settings_ = OpenSettingsForm(*this, ToWeakCallback([this](const ui::EventArgs&) {
                                 device_list_->StopAllDevices();
                                 device_list_->RebuildDeviceList();
                                 return true;
                               }));
  settings_alive_ = settings_ ? settings_->GetWeakFlag() : std::weak_ptr<vbase::WeakFlag>();
}

void BasicForm::OnClose() {
  StopAllDevicesForShutdown();
  vbase::PostQuitMessage();
}

bool BasicForm::OnKeyDown(wchar_t key_code, uint32_t /*modifiers*/) {
  if (key_code == kEscapeKey) Close(1);
  return false;
}

void BasicForm::StopAllDevicesForShutdown() {
  if (!device_list_) return;
  try {
    device_list_->StopAllDevices();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fleetsync: stopping the devices failed: %s\n", error.what());
  }
}
