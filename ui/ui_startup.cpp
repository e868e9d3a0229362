#include "ui/ui_startup.h"

#include "ui/controls/default_colors.h"
#include "ui/controls/window.h"
#include "ui/resources/global_manager.h"

namespace ui {

bool Startup(const std::wstring& resource_root, LayoutBuilder::CreateControlCallback callback,
             const std::wstring& theme, const std::wstring& language,
             const StartupOptions& options) {
  GlobalManager::SetResourcePath(resource_root);
  const std::wstring& root = GlobalManager::GetResourcePath();
  GlobalManager::SetThemePath(root + theme);
  LayoutBuilder::SetGlobalCreateCallback(std::move(callback));

  // There is no awareness switch to flip here: the framework always draws
  // at the screen's resolution, so the process counts as adapted.
  if (!GlobalManager::IsAdapted()) {
    GlobalManager::SetAdapted(true);
    GlobalManager::SetScaleLimit(options.scale_limit);
    int dpi = options.system_dpi > 0 ? options.system_dpi : 96;
    GlobalManager::SetScale((dpi * 100 + 48) / 96);
  }

  // The global file may carry a Window root in other themes; a temporary
  // window takes its window-level parts.
  Window scratch;
  const bool loaded = GlobalManager::ResourceExists(GlobalManager::GetThemePath() + L"global.xml");
  if (loaded) LayoutBuilder::Create(L"global.xml", {}, &scratch);

  GlobalManager::SetLanguagePath(root + language);
  GlobalManager::LoadLanguageFile(GlobalManager::GetLanguageFilePath());
  return loaded;
}

void Shutdown() {
  LayoutBuilder::ClearDocumentCache();
  LayoutBuilder::SetGlobalCreateCallback({});
  DefaultColors::Reset();
  GlobalManager::Shutdown();
}

}  // namespace ui
