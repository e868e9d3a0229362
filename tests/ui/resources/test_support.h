// Helpers shared by the resource tests: a private current directory, PNG
// bytes and a clean global state around each test.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ui/resources/global_manager.h"
#include "ui/resources/resource_package.h"

namespace ui::test {

// Runs the test inside a fresh empty directory that is removed afterwards.
class ScopedTempCwd {
 public:
  ScopedTempCwd() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ui-res-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~ScopedTempCwd() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

  void WriteFile(const std::string& relative, const std::string& content) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
  }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
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
