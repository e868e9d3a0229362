// SettingsForm: the window in which the user edits the upgrade configuration
// (update image, boot logo, project name, target version, force flag) and
// from which the address list file is opened.
//
// The frame comes from "fleet_sync/settings.xml"; its rows are built in code
// from the settings fields when the window initialises. Save validates the
// input, stores it with SaveUpgradeSettings, calls the saved-callback and
// closes the window. Problems are shown to the user as toasts owned by this
// window: a refused value, a failed save (the window then stays open with
// the edits, and the file on disk is unchanged), a missing file picker, or
// no program to open the address list with. Closing with the close button
// discards the edits.
//
// Threads: UI thread only (registered as identifier 0, with a running UI
// message loop and a ui::UiTimerScope). Ownership: created with new; the
// window base deletes it when its native window is gone.
#pragma once

#include <string>

#include "settings/path_field.h"
#include "settings/text_field.h"
#include "settings/var.h"
#include "ui/core/event_args.h"
#include "ui/window/window_impl_base.h"

class SettingsForm : public ui::WindowImplBase {
 public:
  SettingsForm() = default;
  ~SettingsForm() override;

  // Called after a successful save, with the save button's click, before
  // the window closes.
  void SetOnSaved(ui::EventCallback on_saved) { onSaved = std::move(on_saved); }

  // Creates a path field and adds it to `box`.
  PathField* AddPathField(ui::Box* box);
  // Creates a text field bound to `var`, added to `box` unless it is null.
  TextField* AddTextField(ui::Box* box, Var<std::wstring>& var);

  // The values being edited.
  Var<std::wstring> project;
  Var<std::wstring> version;
  Var<bool> forceUpdate;
  std::wstring updateFile;
  std::wstring bootLogo;

 protected:
  std::wstring GetWindowClassName() const override { return L"Settings"; }
  std::wstring GetSkinFolder() override { return L"fleet_sync"; }
  std::wstring GetSkinFile() override { return L"settings.xml"; }
  void InitWindow() override;

 private:
  void BuildRows(ui::Box& container);
  bool Save(const ui::EventArgs& args);
  bool OpenAddressList();

  ui::EventCallback onSaved;
};

// Opens the settings window over `owner`: created owned by it, centred,
// shown with the focus and modal to it (the owner is disabled until the
// window closes). Null when the window cannot be created.
SettingsForm* OpenSettingsForm(ui::WindowImplBase& owner, ui::EventCallback on_saved);
