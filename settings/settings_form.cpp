#include "settings/settings_form.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

#include "app/config_store.h"
#include "app/toast.h"
#include "app/window_placement.h"
#include "base/text.h"
#include "engine/version.h"
#include "platform/unique_fd.h"
#include "settings/file_opener.h"
#include "settings/switch_field.h"
#include "ui/controls/box.h"
#include "ui/controls/button.h"
#include "ui/render/text_style.h"

namespace {

constexpr wchar_t kNoProject[] = L"未输入项目名空";
constexpr wchar_t kNoUpdateFile[] = L"未选择升级文件";
constexpr wchar_t kBadVersion[] = L"无效的版本号";
constexpr wchar_t kSaveFailed[] = L"保存设置失败";
constexpr wchar_t kNoPicker[] = L"未找到文件选择对话框 (zenity/kdialog)";
constexpr wchar_t kNoAddressList[] = L"无法打开IP配置文件: 找不到数据文件夹";
constexpr wchar_t kNoOpener[] = L"无法打开IP配置文件: 未找到 xdg-open, 也未设置 VISUAL 或 EDITOR";

constexpr unsigned kCenteredSingleLine = ui::kTextCenter | ui::kTextVCenter |
                                        ui::kTextSingleLine | ui::kTextNoClip |
                                        ui::kTextEndEllipsis;

// Creates an empty file at `path` unless something is there already.
void CreateFileIfMissing(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return;
  platform::UniqueFd created(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
}

}  // namespace

SettingsForm::~SettingsForm() {
  UnwatchVar(project);
  UnwatchVar(version);
  UnwatchVar(forceUpdate);
}

PathField* SettingsForm::AddPathField(ui::Box* box) {
  auto* field = new PathField;
  box->Add(field);
  return field;
}

TextField* SettingsForm::AddTextField(ui::Box* box, Var<std::wstring>& var) {
  auto* field = new TextField;
  field->Bind(var);
  if (box) box->Add(field);
  return field;
}

void SettingsForm::InitWindow() {
  auto* container = dynamic_cast<ui::Box*>(FindControl(L"box_form_adb"));
  if (!container) return;

  const UpgradeSettings record = LoadUpgradeSettings();
  version.value = record.version;
  NotifyVar(version);
  updateFile = record.update_file;
  bootLogo = record.boot_logo;
  project.value = record.project;
  NotifyVar(project);
  forceUpdate.value = record.force_update;
  NotifyVar(forceUpdate);

  BuildRows(*container);

  if (auto* save = dynamic_cast<ui::Button*>(FindControl(L"btn_save"))) {
    save->AttachClick(ToWeakCallback([this](const ui::EventArgs& args) { return Save(args); }));
  }
}

void SettingsForm::BuildRows(ui::Box& container) {
  struct PathRow {
    const wchar_t* caption;
    const wchar_t* filter;
    const wchar_t* prompt;
    std::wstring* value;
  };
  const PathRow path_rows[] = {
      {L"升级文件", L"升级文件 (*.img)|*.img", L"点击选择文件", &updateFile},
      {L"开机LOGO", L"图片 (*.jpg)|*.jpg", L"点击选择图片", &bootLogo},
  };
  for (const PathRow& row : path_rows) {
    PathField* field = AddPathField(&container);
    field->label->SetText(row.caption);
    field->filter = row.filter;
    field->input->SetPromptText(row.prompt);
    // Before any callback is attached, so none runs.
    field->input->SetText(*row.value);
    std::wstring* value = row.value;
    field->OnChange([value](PathField& changed) { *value = changed.input->GetText(); });
    field->OnPickerUnavailable([this](PathField&) { ShowToast(kNoPicker, this); });
  }

  TextField* project_field = AddTextField(&container, project);
  project_field->label->SetText(L"项目名");
  TextField* version_field = AddTextField(&container, version);
  version_field->label->SetText(L"升级目标版本号");
  version_field->input->SetPromptText(L"0.0.0");
  version_field->input->SetToolTipText(L"0.0.0");

  auto* force_field = new SwitchField;
  force_field->Bind(forceUpdate);
  container.Add(force_field);
  force_field->checkbox->SetText(L"强制升级(不检查项目名及版本号)");

  auto* address_list = new ui::Button;
  address_list->SetName(L"btn_address_list");
  address_list->SetTextStyle(kCenteredSingleLine);
  address_list->SetText(L"IP配置文件");
  address_list->SetClass(L"ui_btn_default");
  address_list->AttachClick(
      ToWeakCallback([this](const ui::EventArgs&) { return OpenAddressList(); }));
  container.Add(address_list);
}

bool SettingsForm::Save(const ui::EventArgs& args) {
  // A click during the closing fade would save (and notify) a second time.
  if (IsClosing()) return true;
  if (project.value.empty()) {
    ShowToast(kNoProject, this);
    return true;
  }
  if (updateFile.empty()) {
    ShowToast(kNoUpdateFile, this);
    return true;
  }
  if (Version parsed; !parsed.Parse(Utf16ToUtf8(version.value))) {
    ShowToast(kBadVersion, this);
    return true;
  }
  const UpgradeSettings record{updateFile, bootLogo, version.value, project.value,
                               forceUpdate.value};
  // A failed save must not look like a saved one: the edits stay on screen.
  if (!SaveUpgradeSettings(record)) {
    ShowToast(kSaveFailed, this);
    return true;
  }
  if (const ui::EventCallback on_saved = onSaved) {
    const std::weak_ptr<vbase::WeakFlag> alive = GetWeakFlag();
    on_saved(args);
    if (alive.expired()) return true;
  }
  Close(1);
  return true;
}

bool SettingsForm::OpenAddressList() {
  const std::wstring path = GetAddressListPath();
  if (path.empty()) {
    ShowToast(kNoAddressList, this);
    return true;
  }
  const std::string utf8_path = Utf16ToUtf8(path);
  CreateFileIfMissing(utf8_path);
  if (!OpenFileDetached(utf8_path)) ShowToast(kNoOpener, this);
  return true;
}

SettingsForm* OpenSettingsForm(ui::WindowImplBase& owner, ui::EventCallback on_saved) {
  if (!owner.window_system()) return nullptr;
  auto* form = new SettingsForm;
  form->SetOnSaved(std::move(on_saved));
  if (!form->Create(*owner.window_system(), &owner, L"")) {
    delete form;
    return nullptr;
  }
  form->ShowModalFake(&owner);
  // Centred again now that its rows give it its real size.
  FitAndCenterWindow(*form);
  return form;
}
