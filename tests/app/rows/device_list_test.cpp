// The main window's list logic: sort order, ticks, status line counts, the
// rebuild's checks and stopping rows that are blocked in adb.
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/config_store.h"
#include "app/device_list.h"
#include "tests/app/rows/rows_fixture.h"
#include "tests/app/temp_data_home.h"
#include "tests/engine/fake_adb.h"
#include "tests/engine/loopback_socket.h"
#include "tests/support/wait_until.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::wstring> ListedAddresses(ui::ListBox* list) {
  std::vector<std::wstring> addresses;
  for (size_t i = 0; i < list->GetCount(); ++i) {
    addresses.push_back(dynamic_cast<DeviceItem*>(list->GetItemAt(i))->address());
  }
  return addresses;
}

// Rows of panels that refuse the probe: their workers never run adb.
class DeviceOrderTest : public RowsUiTest {
 protected:
  void SetUp() override {
    RowsUiTest::SetUp();
    options_.probe_port = refusing_.port();
  }
  LoopbackSocket refusing_{LoopbackSocket::kRefusing, "127.0.6.1"};
};

// Numeric octets (not the text order), addresses of fewer fields first,
// an oversized octet clamped rather than overflowed, connected rows first.
TEST_F(DeviceOrderTest, ConnectedFirstThenNumericOctetsThenFieldCount) {
  for (const wchar_t* address : {L"127.0.6.10", L"127.0.6.1000000000000000000000", L"127.0.6.2",
                                 L"127.0.6.9", L"127.0.6", L"127.0.5.255", L"127.0.6.11"}) {
    AddRow(address);
  }
  dynamic_cast<DeviceItem*>(list_->GetItemAt(6))->set_sort_connected(true);
  list_->SortItems(CompareDeviceRows, 0);
  EXPECT_EQ(ListedAddresses(list_),
            (std::vector<std::wstring>{L"127.0.6.11", L"127.0.6", L"127.0.5.255", L"127.0.6.2",
                                       L"127.0.6.9", L"127.0.6.10",
                                       L"127.0.6.1000000000000000000000"}));
}

// The controller over the headless main window, with a private data folder.
class DeviceListTest : public RowsUiTest {
 protected:
  void SetUp() override {
    RowsUiTest::SetUp();
    controller_ = std::make_unique<DeviceListController>(
        window_.get(), [this](const std::wstring& text) { toasts_.push_back(text); }, options_);
  }
  void TearDown() override {
    controller_.reset();
    RowsUiTest::TearDown();
  }

  void WriteAddressList(const std::string& text) {
    std::ofstream(home_.data_folder() / "ip.txt") << text;
  }
  std::wstring StatusText() {
    return dynamic_cast<ui::Label*>(window_->FindControl(L"status_label"))->GetText();
  }
  void Rebuild() {
    toasts_.clear();
    controller_->StopAllDevices();
    controller_->RebuildDeviceList();
  }

  TempDataHome home_;
  std::unique_ptr<DeviceListController> controller_;
  std::vector<std::wstring> toasts_;
};

TEST_F(DeviceListTest, RebuildChecksInOrderAndLeavesTheListEmptyOnFailure) {
  const std::filesystem::path image = home_.root() / "update.img";
  std::ofstream(image) << "image";
  WriteAddressList("127.0.5.20\n");

  Rebuild();  // nothing saved at all
  EXPECT_EQ(toasts_, (std::vector<std::wstring>{L"未找到升级文件"}));

  UpgradeSettings settings;
  settings.update_file = TempDataHome::Wide(home_.root());  // a folder is no update file
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  Rebuild();
  EXPECT_EQ(toasts_, (std::vector<std::wstring>{L"未找到升级文件"}));

  settings.update_file = TempDataHome::Wide(image);
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  Rebuild();
  EXPECT_EQ(toasts_, (std::vector<std::wstring>{L"未设置目标版本"}));

  settings.version = L"1.1.0";
  ASSERT_TRUE(SaveUpgradeSettings(settings));
  WriteAddressList("not-an-address\n");
  Rebuild();
  EXPECT_EQ(toasts_, (std::vector<std::wstring>{L"IP配置为空"}));
  ASSERT_NE(controller_->forms_list(), nullptr);
  EXPECT_EQ(controller_->forms_list()->GetCount(), 0u);

  WriteAddressList("127.0.5.21 127.0.5.20\n127.0.5.22\n");
  // A fleet record that cannot be written (a folder in its place) costs a
  // toast, not a row.
  std::filesystem::create_directory(home_.data_folder() / "history.csv");
  Rebuild();
  EXPECT_TRUE(toasts_.empty());
  EXPECT_EQ(ListedAddresses(list_),
            (std::vector<std::wstring>{L"127.0.5.20", L"127.0.5.21", L"127.0.5.22"}));
  controller_->RefreshStatusLine();
  EXPECT_EQ(StatusText(), L"已连接数量：0    正在升级数量：0    无法连接数量：3 ");
  ASSERT_TRUE(RunUntil([&] { return !toasts_.empty(); }));
  EXPECT_EQ(toasts_[0], L"无法写入升级记录：" + TempDataHome::Wide(home_.data_folder() / "history.csv"));

  // A failed check after a run: the stop emptied the list and it stays so.
  std::filesystem::remove(image);
  Rebuild();
  EXPECT_EQ(toasts_, (std::vector<std::wstring>{L"未找到升级文件"}));
  EXPECT_EQ(list_->GetCount(), 0u);
  EXPECT_TRUE(controller_->connected_by_address().empty());
}

// A panel that answers the probe and whose log never ends, beside one that
// refuses it.
class BlockedRowsTest : public DeviceListTest {
 protected:
  void SetUp() override {
    adb_.HangStream();
    options_.limits.answer_deadline = 3s;  // far above what the scripted adb takes
    options_.probe_port = panel_.port();
    DeviceListTest::SetUp();
  }
  void StartRows() {
    const std::filesystem::path image = home_.root() / "update.img";
    std::ofstream(image) << "image";
    UpgradeSettings settings;
    settings.update_file = TempDataHome::Wide(image);
    settings.version = L"1.1.0";
    settings.project = L"demo";
    ASSERT_TRUE(SaveUpgradeSettings(settings));
    WriteAddressList("127.0.5.31\n127.0.5.30\n");
    Rebuild();
    ASSERT_TRUE(toasts_.empty());
    ASSERT_EQ(list_->GetCount(), 2u);
  }
  DeviceItem* Row(const std::wstring& address) {
    for (size_t i = 0; i < list_->GetCount(); ++i) {
      auto* row = dynamic_cast<DeviceItem*>(list_->GetItemAt(i));
      if (row->address() == address) return row;
    }
    return nullptr;
  }

  FakeAdb adb_;
  // Both rows probe this port: 127.0.5.31 listens, 127.0.5.30 does not.
  LoopbackSocket panel_{LoopbackSocket::kListening, "127.0.5.31"};
};

// A row counts as connected for three seconds after its tick; upgrading and
// unreachable are counted apart from it. (Connected rows sorted first and the
// upgrade's progress text: the program's test reads them from the screen.)
TEST_F(BlockedRowsTest, ConnectedLastsThreeSecondsAndEachStateCountsIndependently) {
  StartRows();
  DeviceItem* blocked = Row(L"127.0.5.31");
  ASSERT_TRUE(RunUntil([&] { return blocked->upgrade_start() > 0; }));
  controller_->RefreshRows();
  EXPECT_EQ(controller_->connected_by_address().at(L"127.0.5.31"), true);

  const std::uint64_t tick = blocked->connect_tick();
  ASSERT_GT(tick, 0u);
  DeviceCounts counts = controller_->CountDevices(tick + 2999);
  EXPECT_EQ(counts.connected, 1);
  EXPECT_EQ(counts.upgrading, 1);
  EXPECT_EQ(counts.unreachable, 1);
  counts = controller_->CountDevices(tick + 3000);
  EXPECT_EQ(counts.connected, 0);
  EXPECT_EQ(counts.upgrading, 1);
  EXPECT_EQ(StatusLineText(counts), L"已连接数量：0    正在升级数量：1    无法连接数量：1 ");
}

// Stop while a row follows a log that never ends: the row's connection is
// closed, the row is joined at once, and the adb server is left running.
TEST_F(BlockedRowsTest, StopEndsRowsBlockedInAdbPromptly) {
  StartRows();
  ASSERT_TRUE(RunUntil([&] { return Row(L"127.0.5.31")->upgrade_start() > 0; }));
  ASSERT_TRUE(fleetsync_test::WaitUntil([&] { return adb_.OpenConnections() == 1; }));  // the log

  controller_->StopAllDevices();  // a row still blocked in adb would hang here
  EXPECT_EQ(list_->GetCount(), 0u);
  EXPECT_TRUE(controller_->connected_by_address().empty());
  EXPECT_TRUE(fleetsync_test::WaitUntil([&] { return adb_.OpenConnections() == 0; }));
}

}  // namespace
