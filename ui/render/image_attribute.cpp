#include "ui/render/image_attribute.h"

#include <cwctype>

#include "ui/core/value_parser.h"
#include "ui/resources/global_manager.h"

namespace ui {

namespace {

void SkipSpace(const std::wstring& s, size_t& i) {
  while (i < s.size() && std::iswspace(s[i])) ++i;
}

void ApplyItem(ImageAttribute& a, const std::wstring& key, const std::wstring& value) {
  if (key == L"file" || key == L"res") {
    a.path = value;
  } else if (key == L"dest") {
    a.has_dest = true;
    a.dest = ParseRect(value);
  } else if (key == L"source") {
    a.has_source = true;
    a.source = ParseRect(value);
  } else if (key == L"corner") {
    a.corner = ParseRect(value);
  } else if (key == L"fade") {
    int v = ParseInt(value);
    a.fade = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  } else if (key == L"xtiled") {
    a.xtiled = ParseBool(value);
  } else if (key == L"ytiled") {
    a.ytiled = ParseBool(value);
  } else if (key == L"fullxtiled") {
    a.full_xtiled = ParseBool(value);
  } else if (key == L"fullytiled") {
    a.full_ytiled = ParseBool(value);
  } else if (key == L"tiledmargin") {
    a.tiled_margin = ParseInt(value);
  } else if (key == L"destscale") {
    a.dest_scale = ParseBool(value);
  } else if (key == L"playcount") {
    a.play_count = ParseInt(value);
  }
}

}  // namespace

ImageAttribute ImageAttribute::Parse(const std::wstring& text) {
  ImageAttribute a;
  a.descriptor = text;
  a.path = text;  // a plain path unless a file/res item says otherwise
  size_t i = 0;
  while (true) {
    SkipSpace(text, i);
    size_t key_start = i;
    while (i < text.size() && text[i] != L'=' && !std::iswspace(text[i])) ++i;
    std::wstring key = text.substr(key_start, i - key_start);
    SkipSpace(text, i);
    if (key.empty() || i >= text.size() || text[i] != L'=') break;
    ++i;
    SkipSpace(text, i);
    if (i >= text.size() || text[i] != L'\'') break;
    size_t close = text.find(L'\'', i + 1);
    if (close == std::wstring::npos) break;
    ApplyItem(a, key, text.substr(i + 1, close - i - 1));
    i = close + 1;
  }
  if (a.has_dest && a.dest_scale) a.dest = ScaleInsets(a.dest);
  return a;
}

void Image::SetDescriptor(const std::wstring& descriptor) {
  if (descriptor == attribute_.descriptor && (tried_ || info_)) return;
  attribute_ = ImageAttribute::Parse(descriptor);
  info_.reset();
  tried_ = false;
}

ImageInfo* Image::Load(const std::wstring& resource_folder) {
  if (info_) return info_.get();
  if (tried_ || attribute_.path.empty()) return nullptr;
  tried_ = true;
  info_ = GlobalManager::GetImage(GlobalManager::GetResFullPath(resource_folder, attribute_.path));
  return info_.get();
}

}  // namespace ui
