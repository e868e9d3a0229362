// Toast: a small borderless notification that shows one short message
// centred over the window that raised it and closes by itself after two
// seconds. It also closes on a double click, on Escape and on its close
// button, which shows while the pointer is over the toast. Every call makes
// a new, independent toast; toasts raised in quick succession stack.
//
// Threads: UI thread only, with the thread registered as identifier 0 (the
// automatic close is a delayed task posted there) and a ui::UiTimerScope
// alive for the closing fade. Ownership: the window base deletes the toast
// when its native window is gone; the pending close then does nothing. A
// toast whose window cannot be created is dropped without a word. The
// native window's title is the message, so tools can read it.
#pragma once

#include <cstdint>
#include <string>

#include "ui/controls/label.h"
#include "ui/window/window_impl_base.h"

class Toast : public ui::WindowImplBase {
 public:
  static constexpr int kLifetimeMs = 2000;

  Toast() = default;
  ~Toast() override = default;

  // Creates, fills and shows the toast, which closes by itself after
  // `lifetime_ms`. False (and nothing shown) when the window cannot be made;
  // the caller then still owns the object.
  bool Open(ui::WindowSystem& system, ui::WindowImplBase* owner, const std::wstring& text,
            int lifetime_ms = kLifetimeMs);

  ui::Label* contentLabel = nullptr;     // "content": the message
  ui::Control* closeButton = nullptr;    // "close_btn"; null when the layout has none

 protected:
  std::wstring GetWindowClassName() const override { return L"Toast"; }
  std::wstring GetSkinFolder() override { return L"custom_toast"; }
  std::wstring GetSkinFile() override { return L"toast.xml"; }
  void AdjustWindowOptions(ui::WindowOptions& options) override;
  void InitWindow() override;
  bool OnKeyDown(wchar_t key_code, uint32_t modifiers) override;

 private:
  void HideCloseButtonIfOutside(ui::UiPoint point);
};

// Shows `text` in a new toast over `owner`, or centred on the work area
// when `owner` is null or not shown.
void ShowToast(const std::wstring& text, ui::WindowSystem& system,
               ui::WindowImplBase* owner = nullptr);
// The same on the owner's window system; nothing happens when `owner` is
// null or has none.
void ShowToast(const std::wstring& text, ui::WindowImplBase* owner);
