#include "platform/ini_file.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "platform/file_util.h"

namespace platform {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key lines: trimmed, quotes stripped
};

ParsedLine ParseLine(std::string_view text) {
  const std::string_view line = TrimBlanks(text);
  if (line.empty() || line.front() == ';' || line.front() == '#') return {};
  if (line.front() == '[') {
    std::string_view name = line.substr(1);
    name = name.substr(0, name.find(']'));
    return {LineKind::kSection, TrimBlanks(name), {}};
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  return {LineKind::kKey, TrimBlanks(line.substr(0, equals)),
          StripQuotes(TrimBlanks(line.substr(equals + 1)))};
}

// The file as lines, each kept byte for byte with its own line end, so that
// rewriting touches only the lines that change.
class IniDocument {
 public:
  explicit IniDocument(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      has_byte_order_mark_ = true;
      bytes.remove_prefix(kByteOrderMark.size());
    }
    while (!bytes.empty()) {
      const std::size_t newline = bytes.find('\n');
      Line line;
      if (newline == std::string_view::npos) {
        line.text = bytes;
        bytes = {};
      } else {
        line.text = bytes.substr(0, newline);
        line.end = "\n";
        bytes.remove_prefix(newline + 1);
        if (!line.text.empty() && line.text.back() == '\r') {
          line.text.pop_back();
          line.end = "\r\n";
        }
      }
      lines_.push_back(std::move(line));
    }
    if (!lines_.empty() && !lines_.front().end.empty()) new_line_end_ = lines_.front().end;
  }

  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const {
    const std::optional<std::size_t> index = FindKeyLine(section, key);
    if (!index) return std::nullopt;
    return ParseLine(lines_[*index].text).value;
  }

  void Set(std::string_view section, std::string_view key, const std::string& stored_value) {
    if (const std::optional<std::size_t> index = FindKeyLine(section, key)) {
      // Keep the key's spelling as the file has it.
      lines_[*index].text = std::string(ParseLine(lines_[*index].text).name) + "=" + stored_value;
      return;
    }
    const std::string key_line = std::string(key) + "=" + stored_value;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const ParsedLine header = ParseLine(lines_[i].text);
      if (header.kind != LineKind::kSection || !EqualsIgnoringCase(header.name, section)) continue;
      std::size_t last = i;
      for (std::size_t j = i + 1; j < lines_.size(); ++j) {
        const LineKind kind = ParseLine(lines_[j].text).kind;
        if (kind == LineKind::kSection) break;
        if (kind == LineKind::kKey) last = j;
      }
      InsertAfter(last, key_line);
      return;
    }
    Append("[" + std::string(section) + "]");
    Append(key_line);
  }

  std::string Serialize() const {
    std::string bytes(has_byte_order_mark_ ? kByteOrderMark : std::string_view());
    for (const Line& line : lines_) bytes += line.text + line.end;
    return bytes;
  }

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\n", "\r\n", or empty for a last line without one
  };

  std::optional<std::size_t> FindKeyLine(std::string_view section, std::string_view key) const {
    bool in_section = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const ParsedLine parsed = ParseLine(lines_[i].text);
      if (parsed.kind == LineKind::kSection) {
        in_section = EqualsIgnoringCase(parsed.name, section);
      } else if (in_section && parsed.kind == LineKind::kKey &&
                 EqualsIgnoringCase(parsed.name, key)) {
        return i;
      }
    }
    return std::nullopt;
  }

  void InsertAfter(std::size_t index, const std::string& text) {
    if (lines_[index].end.empty()) lines_[index].end = new_line_end_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index) + 1, Line{text, new_line_end_});
  }

  void Append(const std::string& text) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = new_line_end_;
    lines_.push_back(Line{text, new_line_end_});
  }

  bool has_byte_order_mark_ = false;
  std::vector<Line> lines_;
  std::string new_line_end_ = "\n";
};

bool HasLineBreakOrNul(const std::wstring& text) {
  return text.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring::npos;
}

bool HasBlankEnds(const std::wstring& text) {
  return IsBlank(static_cast<char32_t>(text.front())) || IsBlank(static_cast<char32_t>(text.back()));
}

bool IsStorableSectionName(const std::wstring& name) {
  return !name.empty() && !HasLineBreakOrNul(name) && !HasBlankEnds(name) &&
         name.find(L']') == std::wstring::npos;
}

bool IsStorableKeyName(const std::wstring& name) {
  return !name.empty() && !HasLineBreakOrNul(name) && !HasBlankEnds(name) &&
         name.find(L'=') == std::wstring::npos && name.front() != L'[' &&
         name.front() != L';' && name.front() != L'#';
}

// UTF-8 text of a name or value; false when it cannot be encoded faithfully.
bool Encode(const std::wstring& text, std::string* utf8) {
  *utf8 = Utf16ToUtf8(text);
  return text.empty() || !utf8->empty();
}

// The value as it goes into the file, quoted when reading would otherwise
// trim it or strip quotes from it.
std::string StoredValue(const std::string& value) {
  const bool needs_quotes =
      !value.empty() && (IsBlank(static_cast<unsigned char>(value.front())) ||
                         IsBlank(static_cast<unsigned char>(value.back())) ||
                         (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
  return needs_quotes ? "\"" + value + "\"" : value;
}

std::optional<std::string> ReadValue(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& path) {
  std::string bytes;
  if (ReadFileToEnd(path, &bytes) != FileReadStatus::kRead) return std::nullopt;
  const IniDocument document(bytes);
  const std::optional<std::string_view> value =
      document.Find(Utf16ToUtf8(section), Utf16ToUtf8(key));
  if (!value) return std::nullopt;
  return std::string(*value);
}

}  // namespace

std::wstring GetPrivateProfileString(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& default_value,
                                     std::size_t buffer_chars, const std::wstring& path) {
  const std::optional<std::string> value = ReadValue(section, key, path);
  std::wstring text = value ? Utf8ToUtf16(*value) : default_value;
  const std::size_t capacity = buffer_chars == 0 ? 0 : buffer_chars - 1;
  if (text.size() > capacity) text.resize(capacity);
  return text;
}

unsigned int GetPrivateProfileInt(const std::wstring& section, const std::wstring& key,
                                  int default_value, const std::wstring& path) {
  const std::optional<std::string> value = ReadValue(section, key, path);
  if (!value || value->empty()) return static_cast<unsigned int>(default_value);
  std::string_view digits = *value;
  const bool negative = digits.front() == '-';
  if (negative || digits.front() == '+') digits.remove_prefix(1);
  constexpr std::uint64_t kLimit = UINT32_MAX;
  std::uint64_t magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    magnitude = std::min(kLimit, magnitude * 10 + static_cast<std::uint64_t>(c - '0'));
  }
  const auto result = static_cast<std::uint32_t>(magnitude);
  return negative ? 0u - result : result;
}

bool WritePrivateProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& value, const std::wstring& path) {
  return WritePrivateProfileStrings(section, {{key, value}}, path);
}

bool WritePrivateProfileStrings(const std::wstring& section, const IniEntries& entries,
                                const std::wstring& path) {
  std::string section_utf8;
  if (!IsStorableSectionName(section) || !Encode(section, &section_utf8)) return false;

  std::string bytes;
  // An unreadable file must not be replaced by one holding only our keys.
  if (ReadFileToEnd(path, &bytes) == FileReadStatus::kFailed) return false;
  IniDocument document(bytes);
  for (const auto& [key, value] : entries) {
    std::string key_utf8;
    std::string value_utf8;
    if (!IsStorableKeyName(key) || HasLineBreakOrNul(value) || !Encode(key, &key_utf8) ||
        !Encode(value, &value_utf8)) {
      return false;
    }
    document.Set(section_utf8, key_utf8, StoredValue(value_utf8));
  }
  return WriteFileAtomically(path, document.Serialize());
}

}  // namespace platform
