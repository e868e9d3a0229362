#include "engine/version.h"

#include <climits>

namespace {

constexpr std::size_t kMaxFieldLength = 127;

// A cursor over the text with the conversions the scan patterns use. Each
// returns false when its conversion does not match; the position is then of
// no further use, because a scan stops at its first mismatch.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  // "%d": white space, an optional sign, at least one digit, in int range.
  bool Number(int& value) {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
    bool negative = false;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
      negative = text_[pos_] == '-';
      ++pos_;
    }
    // Accumulated as a negative number, which reaches INT_MIN.
    long long magnitude = 0;
    std::size_t digits = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) {
      magnitude = magnitude * 10 + (text_[pos_] - '0');
      if (magnitude > static_cast<long long>(INT_MAX) + 1) return false;
      ++pos_;
      ++digits;
    }
    if (digits == 0) return false;
    if (!negative && magnitude > INT_MAX) return false;
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
  }

  // A literal character of the pattern.
  bool Literal(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  // "%127[0-9a-zA-Z-.]": one to 127 characters of the set.
  bool Field(std::string& value) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < kMaxFieldLength && InFieldSet(text_[pos_])) ++pos_;
    if (pos_ == start) return false;
    value.assign(text_.substr(start, pos_ - start));
    return true;
  }

 private:
  static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static bool InFieldSet(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.';
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// "%d.%d.%d": how many of the three numbers matched (each stored as it matches).
int ScanNumbers(Scanner& scanner, Version& version) {
  if (!scanner.Number(version.major)) return 0;
  if (!scanner.Literal('.') || !scanner.Number(version.minor)) return 1;
  if (!scanner.Literal('.') || !scanner.Number(version.patch)) return 2;
  return 3;
}

int Sign(long long difference) { return (difference > 0) - (difference < 0); }

}  // namespace

bool Version::Parse(std::string_view text) {
  std::string pre_release_field;
  std::string build_field;

  // "%d.%d.%d+%127[...]": only its build counts.
  Scanner build_scan(text);
  if (ScanNumbers(build_scan, *this) == 3 && build_scan.Literal('+')) build_scan.Field(build_field);

  // "%d.%d.%d-%127[...]+%127[...]": its count decides validity.
  Scanner full_scan(text);
  const int count = ScanNumbers(full_scan, *this);
  if (count == 3 && full_scan.Literal('-') && full_scan.Field(pre_release_field) &&
      full_scan.Literal('+'))
    full_scan.Field(build_field);

  pre_release = std::move(pre_release_field);
  build = std::move(build_field);
  return count >= 3;
}

int Version::Compare(const Version& other) const {
  if (major != other.major) return Sign(static_cast<long long>(major) - other.major);
  if (minor != other.minor) return Sign(static_cast<long long>(minor) - other.minor);
  if (patch != other.patch) return Sign(static_cast<long long>(patch) - other.patch);
  if (pre_release.empty() != other.pre_release.empty()) return pre_release.empty() ? 1 : -1;
  // std::string compares char_traits<char>, which orders as unsigned bytes.
  return Sign(pre_release.compare(other.pre_release));
}

std::string Version::ToString() const {
  std::string text = std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(patch);
  if (!pre_release.empty()) text += '-' + pre_release;
  if (!build.empty()) text += '+' + build;
  return text;
}
