// Test fixture: the UI framework started from the embedded theme, a UI loop
// on the test thread registered as the UI thread (id 0), and a headless main
// window built from "fleet_sync/main.xml" whose list "forms" holds the rows.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/device_item.h"
#include "base/thread_registry.h"
#include "base/ui_message_loop.h"
#include "tests/support/run_loop_until.h"
#include "tests/support/wait_until.h"
#include "ui/controls/list_box.h"
#include "ui/controls/window.h"
#include "ui/markup/layout_builder.h"
#include "ui/resources/resource_package.h"
#include "ui/resources/theme_archive.h"
#include "ui/ui_startup.h"

class RowsUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::Shutdown();
    ASSERT_TRUE(ui::ResourcePackage::Open(ui::ThemeArchiveData(), ui::ThemeArchiveSize(), ""));
    ASSERT_TRUE(ui::Startup(L"resources/", {}, L"themes/default", L"lang/zh_CN"));
    ASSERT_TRUE(vbase::ThreadRegistry::RegisterThread(0));
    window_ = std::make_unique<ui::Window>();
    window_->SetResourcePath(L"fleet_sync/");
    auto* root = dynamic_cast<ui::Box*>(
        ui::LayoutBuilder::Create(L"fleet_sync/main.xml", {}, window_.get()));
    ASSERT_NE(root, nullptr);
    window_->AttachRoot(root);
    list_ = dynamic_cast<ui::ListBox*>(window_->FindControl(L"forms"));
    ASSERT_NE(list_, nullptr);
    settings_.update_file = L"/nonexistent/update.img";
    settings_.version = L"1.1.0";
    settings_.project = L"demo";
    options_.write_diagnostic_line = false;
  }

  void TearDown() override {
    window_.reset();  // destroys the rows, joining their workers
    vbase::ThreadRegistry::UnregisterThread();
    ui::Shutdown();
    ui::ResourcePackage::Close();
  }

  // A started row at the end of the list.
  DeviceItem* AddRow(const std::wstring& address) {
    auto* row = new DeviceItem;
    EXPECT_EQ(ui::LayoutBuilder::FillBox(L"fleet_sync/device_item.xml", row), row);
    EXPECT_TRUE(row->Init(address, settings_, options_));
    list_->Add(row);
    return row;
  }

  // Runs the UI loop until `done` holds or `limit` passes.
  bool RunUntil(const std::function<bool()>& done,
                std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return fleetsync_test::RunLoopUntil(loop_, done, static_cast<int>(limit.count()));
  }
  void RunFor(std::chrono::milliseconds duration) {
    fleetsync_test::RunLoopFor(loop_, static_cast<int>(duration.count()));
  }

  // Polls without running the loop, so nothing posted to the UI thread runs.
  static bool WaitWithoutLoop(const std::function<bool()>& done) { return fleetsync_test::WaitUntil(done); }

  // The state text the row shows after a tick.
  static std::wstring ShownState(DeviceItem* row) {
    row->Refresh();
    return row->state_label()->GetText();
  }

  vbase::UIMessageLoop loop_;  // first member: outlives the window and its rows
  std::unique_ptr<ui::Window> window_;
  ui::ListBox* list_ = nullptr;
  UpgradeSettings settings_;
  WorkerOptions options_;
};
