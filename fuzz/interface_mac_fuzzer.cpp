// The MAC of an ifconfig listing: whatever the output, the result is a
// trimmed piece of it taken from a line that names the interface after the
// "HWaddr" marker. The input is "<interface>\0<output>" (no NUL: eth0).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"
#include "engine/command_runner.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\0');
  const std::wstring interface_name =
      cut == std::string_view::npos ? std::wstring(L"eth0") : Utf8ToUtf16(input.substr(0, cut));
  // Byte-wise widening keeps every input byte, valid UTF-8 or not.
  std::wstring output;
  for (char c : cut == std::string_view::npos ? input : input.substr(cut + 1))
    output.push_back(wchar_t(uint8_t(c)));

  const std::wstring mac = ExtractInterfaceMac(output, interface_name);
  if (mac.empty()) return 0;
  FUZZ_CHECK(!IsTrimmable(mac.front()) && !IsTrimmable(mac.back()));
  FUZZ_CHECK(mac.find(L'\n') == std::wstring::npos);
  const size_t at = output.find(mac);
  FUZZ_CHECK(at != std::wstring::npos);
  // Some line holding the result also holds the marker and the interface.
  bool line_found = false;
  for (size_t pos = output.find(mac); pos != std::wstring::npos && !line_found;
       pos = output.find(mac, pos + 1)) {
    const size_t begin = output.rfind(L'\n', pos) == std::wstring::npos ? 0 : output.rfind(L'\n', pos) + 1;
    const size_t end = std::min(output.find(L'\n', pos), output.size());
    const std::wstring_view line(output.data() + begin, end - begin);
    const size_t marker = line.find(L"HWaddr");
    line_found = marker != std::wstring_view::npos && marker + 6 <= pos - begin &&
                 line.find(interface_name) != std::wstring_view::npos;
  }
  FUZZ_CHECK(line_found);
  return 0;
}
