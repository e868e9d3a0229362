// Helpers shared by the resource tests: a private current directory, PNG
// bytes and a clean global state around each test.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/temp_folder.h"
#include "ui/resources/global_manager.h"
#include "ui/resources/resource_package.h"

namespace ui::test {

// Runs the test inside a fresh empty directory that is removed afterwards.
class ScopedTempCwd : public fleetsync_test::TempFolder {
 public:
  ScopedTempCwd() : TempFolder("ui-res") { std::filesystem::current_path(path()); }
  ~ScopedTempCwd() { std::filesystem::current_path(previous_); }

 private:
  const std::filesystem::path previous_ = std::filesystem::current_path();
};

inline cairo_status_t AppendPngBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

inline std::string MakePng(int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgba(cr, 0.2, 0.4, 0.8, 1.0);
  cairo_paint(cr);
  cairo_destroy(cr);
  std::string bytes;
  cairo_surface_write_to_png_stream(surface, &AppendPngBytes, &bytes);
  cairo_surface_destroy(surface);
  return bytes;
}

// Leaves no package open and empty tables before and after each test.
class ResourceStateTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    ResourcePackage::Close();
    GlobalManager::Shutdown();
  }
};

}  // namespace ui::test
