// PathField: a caption and a single-line input holding a file or folder
// path. A press on the input released on it within 200 ms opens the picker
// (asynchronously), modal to the field's window: the window takes no input
// until the picker ends. A chosen path becomes the input's text and tooltip.
// UI thread only; the field closes a picker still open when it goes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/field.h"
#include "settings/pickers.h"
#include "ui/controls/rich_edit.h"

class PathField : public Field<PathField> {
 public:
  // A release later than this after the press is not a click.
  static constexpr uint32_t kClickMs = 200;

  PathField();
  ~PathField() override;

  // Called after every change of the input's text; callbacks add up.
  void OnChange(ChangeCallback callback);
  // Called when a picker is wanted but no dialog program exists (the owner
  // tells the user).
  void OnPickerUnavailable(ChangeCallback callback) { on_unavailable_ = std::move(callback); }
  // Whether a picker of this field is open.
  bool IsPicking() const { return picker_ != nullptr; }

  ui::RichEdit* input = nullptr;
  uint32_t pressTick = 0;
  bool folderMode = false;
  std::wstring filter = L"所有文件";

 private:
  void OpenPicker();
  void OnPicked(const PickerResult& result);
  WindowHandle OwnerHandle() const;
  void SetWindowInputEnabled(bool enabled);

  ChangeCallback on_unavailable_;
  std::unique_ptr<PickerOperation> picker_;
};
