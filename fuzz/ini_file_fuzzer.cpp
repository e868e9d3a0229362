// The INI reader and writer on arbitrary files. The input is
// "<file>\0<section>\0<key>\0<value>": reading any file never throws, and a
// value the writer stored reads back unchanged (values without CR, LF, NUL)
// while a key it did not name keeps its value.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "platform/ini_file.h"

namespace {

std::vector<std::string_view> SplitAtNul(std::string_view input, size_t parts) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < parts) {
    const size_t cut = input.find('\0');
    if (cut == std::string_view::npos) break;
    out.push_back(input.substr(0, cut));
    input.remove_prefix(cut + 1);
  }
  out.push_back(input);
  while (out.size() < parts) out.emplace_back();
  return out;
}

std::wstring Widen(std::string_view bytes) {
  std::wstring wide = Utf8ToUtf16(bytes);
  if (wide.empty()) for (char c : bytes) wide.push_back(wchar_t(uint8_t(c) & 0x7F));
  return wide;
}

bool IsPlainName(const std::wstring& name) {
  if (name.empty()) return false;
  for (wchar_t c : name) {
    if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_'))
      return false;
  }
  return true;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
  return text;
}

const std::wstring& ScratchFile() {
  static const std::wstring path = [] {
    const char* folder = std::getenv("TMPDIR");
    return Utf8ToUtf16(std::string(folder && *folder ? folder : "/tmp") + "/fuzz-ini-" +
                       std::to_string(getpid()) + ".ini");
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = SplitAtNul(std::string_view(reinterpret_cast<const char*>(data), size), 4);
  {
    std::ofstream file(Utf16ToUtf8(ScratchFile()), std::ios::binary | std::ios::trunc);
    file.write(parts[0].data(), parts[0].size());
  }
  const std::wstring section = Widen(parts[1]);
  const std::wstring key = Widen(parts[2]);
  std::wstring value = Widen(parts[3]);
  std::erase_if(value, [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\0'; });

  try {
    const std::wstring before =
        platform::GetPrivateProfileString(section, key, L"\x1d", 4096, ScratchFile());
    FUZZ_CHECK(before.size() < 4096);
    platform::GetPrivateProfileInt(section, key, 7, ScratchFile());
    const std::wstring tiny = platform::GetPrivateProfileString(section, key, L"", 2, ScratchFile());
    FUZZ_CHECK(tiny.size() <= 1);

    // A key the write does not name keeps its value.
    const bool same_key = Lower(section) == L"fleet" && Lower(key) == L"version";
    const std::wstring other_before =
        platform::GetPrivateProfileString(L"fleet", L"version", L"<missing>", 4096, ScratchFile());

    const bool written = platform::WritePrivateProfileString(section, key, value, ScratchFile());
    if (!same_key) {
      FUZZ_CHECK(platform::GetPrivateProfileString(L"fleet", L"version", L"<missing>", 4096,
                                                   ScratchFile()) == other_before);
    }
    if (IsPlainName(section) && IsPlainName(key)) FUZZ_CHECK(written);
    if (written) {
      const std::wstring after = platform::GetPrivateProfileString(
          section, key, L"<missing>", value.size() + 2, ScratchFile());
      FUZZ_CHECK(after == value);
    }
  } catch (...) {
    FUZZ_CHECK(!"the INI functions threw");
  }
  return 0;
}
