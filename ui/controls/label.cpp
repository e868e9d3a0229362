#include "ui/controls/label.h"

namespace ui {

unsigned ApplyAlignKeywords(unsigned s, const std::wstring& align) {
  auto has = [&](const wchar_t* word) { return align.find(word) != std::wstring::npos; };
  if (has(L"left")) s &= ~static_cast<unsigned>(kTextCenter | kTextRight | kTextVCenter | kTextSingleLine);
  if (has(L"center")) s = (s & ~static_cast<unsigned>(kTextRight)) | kTextCenter;
  if (has(L"right")) s = (s & ~static_cast<unsigned>(kTextCenter | kTextVCenter | kTextSingleLine)) | kTextRight;
  if (has(L"top")) s = (s & ~static_cast<unsigned>(kTextVCenter | kTextBottom)) | kTextSingleLine;
  if (has(L"vcenter")) s = (s & ~static_cast<unsigned>(kTextBottom)) | kTextCenter | kTextVCenter | kTextSingleLine;
  if (has(L"bottom")) s = (s & ~static_cast<unsigned>(kTextVCenter)) | kTextBottom | kTextSingleLine;
  return s;
}

}  // namespace ui
