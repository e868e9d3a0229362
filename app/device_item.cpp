#include "app/device_item.h"

#include <system_error>

#include "base/text.h"
#include "base/thread_registry.h"

namespace {

constexpr int kUiThreadId = 0;
constexpr vbase::TimeDelta kPauseBetweenPasses = vbase::TimeDelta::FromSeconds(1);

}  // namespace

DeviceItem::~DeviceItem() {
  // Destroy handlers may still read the row; the worker goes after them.
  BeginDestroy();
  Stop();
}  // worker_ joins its thread here

bool DeviceItem::Init(const std::wstring& address, const UpgradeSettings& settings,
                      const WorkerOptions& options, DeviceWorker::PassDoneHook on_pass_done) {
  address_ = address;
  worker_ = std::make_unique<DeviceWorker>(address, settings, options);

  title_label_ = dynamic_cast<ui::Label*>(FindSubControl(L"label_title"));
  state_label_ = dynamic_cast<ui::Label*>(FindSubControl(L"label_state"));
  time_label_ = dynamic_cast<ui::Label*>(FindSubControl(L"label_time"));
  delete_button_ = dynamic_cast<ui::Button*>(FindSubControl(L"btn_del"));

  if (title_label_) title_label_->SetText(FormatString(L"%s ", address.c_str()));
  if (delete_button_) {
    delete_button_->AttachClick(
        ToWeakCallback([this](const ui::EventArgs&) { return OnDeleteClicked(); }));
    delete_button_->SetFadeVisible(false);
  }

  // Built here, on the UI thread: the worker only copies and posts it, so it
  // never needs the row itself and a wake for a destroyed row does nothing.
  auto wake = ToWeakCallback([this] { Wake(); });
  try {
    worker_->Start([wake, on_pass_done = std::move(on_pass_done)](const PassReport& report) {
      // A failed post (the UI loop has ended) leaves the worker waiting.
      vbase::ThreadRegistry::PostDelayedTask(kUiThreadId, wake, kPauseBetweenPasses);
      if (on_pass_done) on_pass_done(report);
    });
  } catch (const std::system_error& error) {
    // Listed all the same, so the user sees every address and why one is idle.
    worker_.reset();
    ApplyState({kStateError, FormatString(L"无法启动升级线程：%s", Utf8ToUtf16(error.what()).c_str()),
                ClockText()});
    return false;
  }
  return true;
}

void DeviceItem::Refresh() {
  if (state_label_ == nullptr || !running()) return;
  if (title_label_) title_label_->SetEnabled(worker_->connected());
  ApplyState(worker_->DisplayRecord());
}

void DeviceItem::ApplyState(const StateRecord& record) {
  if (time_label_) time_label_->SetText(record.time);
  if (state_label_ == nullptr) return;
  if (record.kind == kStateNormal) {
    state_label_->SetStateTextColor(ui::ControlState::kNormal, L"black");
  } else if (record.kind == kStateError) {
    state_label_->SetStateTextColor(ui::ControlState::kNormal, L"red");
  }
  state_label_->SetText(record.text);
}

void DeviceItem::Wake() {
  if (worker_) worker_->Wake();
}

void DeviceItem::Stop() {
  if (worker_) worker_->Stop();
}

bool DeviceItem::OnDeleteClicked() {
  // Stopping first makes the destruction's join quick; the removal itself
  // waits until this click has been handled completely.
  Stop();
  vbase::ThreadRegistry::PostTask(kUiThreadId, ToWeakCallback([this] {
    if (ui::Box* list = GetParent()) list->Remove(this);
  }));
  return true;
}
