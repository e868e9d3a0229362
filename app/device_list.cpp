#include "app/device_list.h"

#include <algorithm>
#include <condition_variable>
#include <cwctype>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "app/address_list.h"
#include "app/config_store.h"
#include "app/device_item.h"
#include "base/text.h"
#include "base/thread_registry.h"
#include "engine/child_registry.h"
#include "ui/controls/list_box.h"
#include "ui/controls/window.h"
#include "ui/markup/layout_builder.h"

namespace {

constexpr wchar_t kRowLayout[] = L"fleet_sync/device_item.xml";
constexpr int kUiThreadId = 0;

// What swscanf(text, "%d.%d.%d.%d") reports: the number of numbers read
// (-1 when the text holds nothing but blanks), the numbers in `octets`.
// Numbers are clamped instead of overflowing.
int ScanAddressFields(const std::wstring& text, long long octets[4]) {
  constexpr long long kClamp = 1LL << 40;
  const size_t n = text.size();
  size_t i = 0;
  int fields = 0;
  for (; fields < 4; ++fields) {
    if (fields > 0) {
      if (i >= n || text[i] != L'.') break;
      ++i;
    }
    while (i < n && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    if (i >= n) return fields == 0 ? -1 : fields;
    bool negative = false;
    if (text[i] == L'+' || text[i] == L'-') negative = text[i++] == L'-';
    if (i >= n || text[i] < L'0' || text[i] > L'9') break;
    long long value = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i) {
      value = std::min(kClamp, value * 10 + (text[i] - L'0'));
    }
    octets[fields] = negative ? -value : value;
  }
  return fields;
}

template <typename T>
int Sign(T value) {
  return (value > 0) - (value < 0);
}

bool IsRegularFile(const std::wstring& path) {
  if (path.empty()) return false;
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(Utf16ToUtf8(path)), error);
}

// While it lives, ends every child of this program every few milliseconds on
// a thread of its own: a pass may still be starting a command when its row is
// joined, and the join must not wait for that command.
class ChildEnder {
 public:
  ChildEnder() : thread_([this] { Run(); }) {}
  ~ChildEnder() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_changed_.notify_one();
    thread_.join();
  }
  ChildEnder(const ChildEnder&) = delete;
  ChildEnder& operator=(const ChildEnder&) = delete;

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      EndAllChildren();
      done_changed_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; });
    }
  }

  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

template <typename Visit>
void ForEachRow(ui::ListBox* list, Visit visit) {
  for (size_t i = 0; i < list->GetCount(); ++i) {
    if (auto* row = dynamic_cast<DeviceItem*>(list->GetItemAt(i))) visit(*row);
  }
}

}  // namespace

int CompareDeviceRows(ui::Control* a, ui::Control* b, uintptr_t /*context*/) {
  auto* row_a = dynamic_cast<DeviceItem*>(a);
  auto* row_b = dynamic_cast<DeviceItem*>(b);
  const bool connected_a = row_a && row_a->sort_connected();
  const bool connected_b = row_b && row_b->sort_connected();
  if (connected_a != connected_b) return connected_b ? 1 : -1;

  long long octets_a[4] = {};
  long long octets_b[4] = {};
  const int fields_a = ScanAddressFields(row_a ? row_a->address() : std::wstring(), octets_a);
  const int fields_b = ScanAddressFields(row_b ? row_b->address() : std::wstring(), octets_b);
  if (fields_a != fields_b) return fields_a - fields_b;
  if (fields_a != 4) return 0;
  for (int i = 0; i < 4; ++i) {
    if (octets_a[i] != octets_b[i]) return Sign(octets_a[i] - octets_b[i]);
  }
  return 0;
}

std::wstring StatusLineText(const DeviceCounts& counts) {
  return FormatString(L"已连接数量：%d    正在升级数量：%d    无法连接数量：%d ", counts.connected,
                      counts.upgrading, counts.unreachable);
}

DeviceListController::DeviceListController(ui::Window* window, ShowToast show_toast,
                                           WorkerOptions row_options)
    // Every row shares one adb client, so a server found missing is started
    // once (by the first row that finds it, on its worker thread).
    : window_(window), show_toast_(std::move(show_toast)), row_options_(WithAdbClient(row_options)) {
  status_label_ = dynamic_cast<ui::Label*>(window_->FindControl(L"status_label"));
  if (status_label_) status_label_->SetText(StatusLineText({}));
}

void DeviceListController::RebuildDeviceList() {
  forms_list_ = dynamic_cast<ui::ListBox*>(window_->FindControl(L"forms"));
  if (forms_list_ == nullptr) return;
  forms_list_->SetScrollUnit(kListScrollUnit);

  const UpgradeSettings settings = LoadUpgradeSettings();
  // A folder or a dangling link is no update file either.
  if (!IsRegularFile(settings.update_file)) {
    show_toast_(L"未找到升级文件");
    return;
  }
  if (settings.version.empty()) {
    show_toast_(L"未设置目标版本");
    return;
  }
  const std::set<std::wstring> addresses = ReadAddressList(GetAddressListPath());
  if (addresses.empty()) {
    show_toast_(L"IP配置为空");
    return;
  }

  if (!history_) {
    const std::wstring path = GetHistoryFilePath();
    history_ = std::make_shared<FleetHistory>(path, HistoryFailureToast(path));
  }
  history_->BeginRun(settings.version);
  const auto record = [history = history_](const PassReport& report) { history->Record(report); };
  for (const std::wstring& address : addresses) {
    auto* row = new DeviceItem;
    ui::LayoutBuilder::FillBox(kRowLayout, row);
    row->Init(address, settings, row_options_, record);  // a row that cannot start says so in red
    forms_list_->Add(row);
  }
}

FleetHistory::FailureHook DeviceListController::HistoryFailureToast(const std::wstring& path) const {
  const std::wstring text = FormatString(L"无法写入升级记录：%s", path.c_str());
  return [show_toast = show_toast_, text](const std::string&) {
    vbase::ThreadRegistry::PostTask(kUiThreadId, [show_toast, text] { show_toast(text); });
  };
}

void DeviceListController::StopAllDevices() {
  if (forms_list_ == nullptr) return;
  // Rows go at once, so their workers are joined here and not on a later
  // turn of the loop.
  forms_list_->SetDelayedDestroy(false);
  ForEachRow(forms_list_, [](DeviceItem& row) { row.Stop(); });
  // Stopping a row closes its adb connections; ending this program's own
  // children ends a server start that hangs. The adb server, and other
  // programs' sessions on it, stay.
  EndAllChildren();
  ForEachRow(forms_list_, [](DeviceItem& row) { row.Stop(); });
  {
    ChildEnder ender;
    forms_list_->RemoveAll();
  }
  connected_by_address_.clear();
}

void DeviceListController::RefreshRows() {
  if (forms_list_ == nullptr) return;
  bool changed = false;
  ForEachRow(forms_list_, [&](DeviceItem& row) {
    const bool connected = row.connected();
    bool& seen = connected_by_address_[row.address()];
    if (seen != connected) {
      seen = connected;
      changed = true;
    }
    row.set_sort_connected(connected);
    row.Refresh();
  });
  if (changed && forms_list_->GetCount() > 0) forms_list_->SortItems(CompareDeviceRows, 0);
}

DeviceCounts DeviceListController::CountDevices(std::uint64_t now_ms) const {
  DeviceCounts counts;
  if (forms_list_ == nullptr) return counts;
  ForEachRow(forms_list_, [&](DeviceItem& row) {
    if (!row.connected()) ++counts.unreachable;
    if (row.upgrade_start() > 0) ++counts.upgrading;
    const auto since_connect = static_cast<std::int64_t>(now_ms - row.connect_tick());
    if (since_connect < static_cast<std::int64_t>(kConnectedWindowMs)) ++counts.connected;
  });
  return counts;
}

void DeviceListController::RefreshStatusLine() {
  if (forms_list_ == nullptr || status_label_ == nullptr) return;
  status_label_->SetText(StatusLineText(CountDevices(TickCountMilliseconds())));
}
