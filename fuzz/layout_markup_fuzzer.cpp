// The layout markup builder on arbitrary documents: any text builds a tree or
// nothing, never throws, and leaks nothing once the tree and the global
// tables are released (LeakSanitizer checks at exit and on -detect_leaks).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "ui/controls/box.h"
#include "ui/controls/window.h"
#include "ui/markup/layout_builder.h"
#include "ui/resources/global_manager.h"
#include "ui/ui_startup.h"

// fontconfig keeps its configuration for the whole process and frees it only
// in FcFini, which a process using Pango cannot call.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

// An empty theme folder, so includes and images of the document find nothing
// instead of reading the developer's files.
const std::wstring& EmptyTheme() {
  static const std::wstring folder = [] {
    const char* base = std::getenv("TMPDIR");
    const std::filesystem::path path = std::filesystem::path(base && *base ? base : "/tmp") /
                                       ("fuzz-theme-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return Utf8ToUtf16(path.string() + "/");
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring markup = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  // A text not starting with '<' names a file; only documents are of interest.
  if (markup.empty() || markup[0] != L'<') markup.insert(0, 1, L'<');
  try {
    ui::GlobalManager::SetThemePath(EmptyTheme());
    {
      ui::Window window;
      ui::Control* root = ui::LayoutBuilder::Create(markup, {}, &window);
      if (auto* box = dynamic_cast<ui::Box*>(root)) window.AttachRoot(box);
      else if (root) ui::Control::Destroy(root);
    }
    ui::Shutdown();
  } catch (...) {
    FUZZ_CHECK(!"an exception escaped the markup builder");
  }
  return 0;
}
