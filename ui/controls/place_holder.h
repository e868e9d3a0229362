// The part of every control that places it: name, parent, window, visibility
// and the size model its parent's layout reads.
//
// Sizes are pixels already scaled for the UI scale; a fixed width or height
// of kSizeStretch (-1) takes what the layout gives, kSizeAuto (-2) fits the
// content. UI thread only.
#pragma once

#include <string>

#include "base/weak_callback.h"
#include "ui/core/geometry.h"
#include "ui/core/value_parser.h"

namespace ui {

class Box;
class Window;

enum class HorAlign { kLeft = 0, kCenter = 1, kRight = 2 };
enum class VerAlign { kTop = 0, kCenter = 1, kBottom = 2 };

class PlaceHolder : public virtual vbase::SupportWeakCallback {
 public:
  PlaceHolder() = default;
  ~PlaceHolder() override = default;
  PlaceHolder(const PlaceHolder&) = delete;
  PlaceHolder& operator=(const PlaceHolder&) = delete;

  const std::wstring& GetName() const { return name_; }
  void SetName(const std::wstring& name);

  Box* GetParent() const { return parent_; }
  Window* GetWindow() const { return window_; }
  // Joins `window` under `parent` (both may be null to leave). Containers
  // pass the window on to their items.
  virtual void SetWindow(Window* window, Box* parent);
  // True when `this` is `other` or one of its ancestors.
  bool IsAncestorOf(const PlaceHolder* other) const;

  bool IsVisible() const { return visible_; }
  virtual void SetVisible(bool visible);
  bool IsFloat() const { return float_; }
  void SetFloat(bool value);

  int GetFixedWidth() const { return fixed_width_; }
  int GetFixedHeight() const { return fixed_height_; }
  // Values are pixels (already scaled) or kSizeStretch / kSizeAuto; other
  // negative values are ignored.
  void SetFixedWidth(int width);
  void SetFixedHeight(int height);
  int GetMinWidth() const { return min_width_; }
  int GetMaxWidth() const { return max_width_; }
  int GetMinHeight() const { return min_height_; }
  int GetMaxHeight() const { return max_height_; }
  void SetMinWidth(int v);
  void SetMaxWidth(int v);
  void SetMinHeight(int v);
  void SetMaxHeight(int v);
  const UiRect& GetMargin() const { return margin_; }
  void SetMargin(const UiRect& margin);
  HorAlign GetHorAlign() const { return hor_align_; }
  VerAlign GetVerAlign() const { return ver_align_; }
  void SetHorAlign(HorAlign a);
  void SetVerAlign(VerAlign a);

  bool IsAutoSized() const { return fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto; }

  // What the control wants inside `available`.
  virtual UiSize EstimateSize(UiSize available) = 0;
  // The size of the content alone, whatever the fixed sizes say; layouts use
  // it for a stretch dimension on an axis they measure.
  virtual UiSize EstimateContentSize(UiSize available) = 0;

  const UiRect& GetPos() const { return rect_; }
  // Takes the rectangle; containers arrange their items in it.
  virtual void SetPos(const UiRect& rect);

  bool IsReEstimateSize() const { return re_estimate_; }
  void SetReEstimateSize(bool value) { re_estimate_ = value; }
  UiSize GetEstimateSizeCache() const { return estimated_size_; }
  void SetEstimateSizeCache(UiSize size) { estimated_size_ = size; }

  // The control's size or content changed: stale estimates up the chain and
  // a re-arrangement of the window at its next paint.
  void Arrange();
  // Repaint the control's rectangle.
  void Invalidate();

 protected:
  // Hook for the window's name map when the name changes while attached.
  virtual void OnNameChanged(const std::wstring& old_name) { (void)old_name; }

  std::wstring name_;
  Box* parent_ = nullptr;
  Window* window_ = nullptr;
  UiRect rect_;

 private:
  bool visible_ = true;
  bool float_ = false;
  int fixed_width_ = kSizeStretch;
  int fixed_height_ = kSizeStretch;
  int min_width_ = -1;
  int max_width_ = 9999999;
  int min_height_ = -1;
  int max_height_ = 9999999;
  UiRect margin_;
  HorAlign hor_align_ = HorAlign::kLeft;
  VerAlign ver_align_ = VerAlign::kTop;
  bool re_estimate_ = true;
  UiSize estimated_size_;
};

}  // namespace ui
