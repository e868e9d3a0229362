#include "settings/path_field.h"

#include "ui/controls/window.h"

PathField::PathField() {
  input = new ui::RichEdit;
  input->SetAttribute(L"class", L"simple input prompt");
  input->SetAttribute(L"height", L"25");
  input->SetAttribute(L"width", L"stretch");
  input->SetAttribute(L"padding", L"5,0,5,0");
  input->SetAttribute(L"align", L"vcenter");
  input->SetPromptText(L"点击选择文件");
  Add(input);

  input->AttachEvent(ui::kEventMouseButtonDown, [this](const ui::EventArgs& args) {
    pressTick = args.timestamp;
    return true;
  });
  input->AttachEvent(ui::kEventMouseButtonUp, [this](const ui::EventArgs& args) {
    // A press ended by focus loss, Escape or closing arrives as a release
    // outside every control: it is no click.
    if (input->GetPos().Contains(args.mouse_point) &&
        static_cast<uint32_t>(args.timestamp - pressTick) <= kClickMs) {
      OpenPicker();
    }
    return true;
  });
}

PathField::~PathField() {
  // Nothing bound to this field may run while its parts are torn down.
  input->DetachEvent(ui::kEventTextChange);
  if (picker_) {
    picker_.reset();
    SetWindowInputEnabled(true);
  }
  BeginDestroy();
}

void PathField::SetWindowInputEnabled(bool enabled) {
  if (ui::Window* window = GetWindow()) window->SetInputEnabled(enabled);
}

void PathField::OnChange(ChangeCallback callback) {
  input->AttachTextChange([this, callback = std::move(callback)](const ui::EventArgs&) {
    callback(*this);
    return true;
  });
}

WindowHandle PathField::OwnerHandle() const {
  const ui::Window* window = GetWindow();
  return window && window->GetHost() ? window->GetHost()->GetNativeHandle() : 0;
}

void PathField::OpenPicker() {
  if (picker_) return;  // one dialog at a time
  // Modal: the window takes no input (no second picker, no save) meanwhile.
  SetWindowInputEnabled(false);
  auto on_result = [this](const PickerResult& result) { OnPicked(result); };
  if (folderMode) {
    picker_ = PickFolderAsync(OwnerHandle(), on_result);
  } else {
    PickerRequest request;
    request.filter = filter;
    request.owner = OwnerHandle();
    picker_ = PickFileAsync(request, on_result);
  }
}

void PathField::OnPicked(const PickerResult& result) {
  // The finished operation goes when this returns.
  const std::unique_ptr<PickerOperation> finished = std::move(picker_);
  SetWindowInputEnabled(true);
  if (result.status == PickerStatus::kUnavailable) {
    if (on_unavailable_) on_unavailable_(*this);
    return;
  }
  if (result.status != PickerStatus::kChosen || result.paths.front().empty()) return;
  const std::wstring path = result.paths.front();
  input->SetText(path);
  input->SetToolTipText(path);
}
