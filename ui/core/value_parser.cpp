#include "ui/core/value_parser.h"

#include <climits>
#include <cwctype>

#include "ui/resources/global_manager.h"

namespace ui {

namespace {

// Reads an optionally signed decimal number at `pos`; advances `pos` past it.
// Returns false (pos unchanged) when no digit follows.
bool ReadInt(const std::wstring& text, size_t& pos, int& out) {
  size_t i = pos;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
    negative = text[i] == L'-';
    ++i;
  }
  if (i >= text.size() || !std::iswdigit(text[i])) return false;
  long long value = 0;
  for (; i < text.size() && std::iswdigit(text[i]); ++i) {
    if (value <= INT_MAX) value = value * 10 + (text[i] - L'0');
  }
  if (negative) value = -value;
  out = static_cast<int>(value > INT_MAX ? INT_MAX : (value < INT_MIN ? INT_MIN : value));
  pos = i;
  return true;
}

int MulDiv100(int value, int scale) {
  long long product = static_cast<long long>(value) * scale;
  // Rounds half away from zero, as the system MulDiv does.
  long long result = product >= 0 ? (product + 50) / 100 : (product - 50) / 100;
  if (result > INT_MAX) return INT_MAX;
  if (result < INT_MIN) return INT_MIN;
  return static_cast<int>(result);
}

bool ScalingActive() { return GlobalManager::IsAdapted() && GlobalManager::GetScale() != 100; }

}  // namespace

bool ParseBool(const std::wstring& value) { return value == L"true"; }

int ParseInt(const std::wstring& value) {
  size_t pos = 0;
  while (pos < value.size() && std::iswspace(value[pos])) ++pos;
  int out = 0;
  return ReadInt(value, pos, out) ? out : 0;
}

std::optional<int> ParseSize(const std::wstring& value, bool scale) {
  if (value == L"stretch") return kSizeStretch;
  if (value == L"auto") return kSizeAuto;
  size_t pos = 0;
  int out = 0;
  if (!ReadInt(value, pos, out) || out < 0) return std::nullopt;
  return scale ? ScaleInt(out) : out;
}

int ParseIntList(const std::wstring& value, int* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = 0;
  size_t pos = 0;
  int read = 0;
  while (read < count && pos < value.size()) {
    if (!ReadInt(value, pos, out[read])) break;
    ++read;
    if (pos >= value.size()) break;
    ++pos;  // the one separator, whatever it is
  }
  return read;
}

UiSize ParsePair(const std::wstring& value) {
  int v[2];
  ParseIntList(value, v, 2);
  return {v[0], v[1]};
}

UiRect ParseRect(const std::wstring& value) {
  int v[4];
  ParseIntList(value, v, 4);
  return {v[0], v[1], v[2], v[3]};
}

int ScaleInt(int value) { return value > 0 ? GlobalManager::ScaleValue(value) : value; }

UiSize ScaleSize(UiSize size) { return {ScaleInt(size.cx), ScaleInt(size.cy)}; }

UiRect ScaleInsets(const UiRect& r) {
  if (!ScalingActive()) return r;
  int s = GlobalManager::GetScale();
  return {MulDiv100(r.left, s), MulDiv100(r.top, s), MulDiv100(r.right, s),
          MulDiv100(r.bottom, s)};
}

UiRect ScalePadding(const UiRect& r) {
  if (!ScalingActive()) return r;
  int s = GlobalManager::GetScale();
  UiRect out;
  out.left = MulDiv100(r.left, s);
  out.top = MulDiv100(r.top, s);
  out.right = out.left + MulDiv100(r.right - r.left, s);
  out.bottom = out.top + MulDiv100(r.bottom - r.top, s);
  return out;
}

}  // namespace ui
