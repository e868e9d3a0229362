// Version texts such as "1.2.3", "1.2.3-rc.1" and "1.2.3-rc.1+b7".
//
// Three numbers, an optional pre-release after '-' and an optional build
// after '+'. Parsing follows two fixed scan patterns (in scanf notation)
//   "%d.%d.%d+%127[0-9a-zA-Z-.]"                      -> build
//   "%d.%d.%d-%127[0-9a-zA-Z-.]+%127[0-9a-zA-Z-.]"    -> pre-release, build
// where a number may have leading white space and a sign, and a text field
// holds up to 127 of the characters 0-9 a-z A-Z '-' '.'. The second pattern
// decides validity: at least the three numbers must match. A number that does
// not fit in an int does not match (the text is then invalid). Anything after
// the match is ignored ("1.2.3.4" is 1.2.3).
//
// Compare orders by major, minor, patch, then a release after any of its
// pre-releases, then the pre-release bytes (unsigned, lexicographic: "rc.10"
// is older than "rc.9"); the build never counts. It returns only the sign
// (-1, 0, 1), and it is a strict weak order on the key (major, minor, patch,
// pre-release), so it can drive sorting.
//
// A plain value; no shared state.
#pragma once

#include <string>
#include <string_view>

struct Version {
  int major = 0;
  int minor = 0;
  int patch = 0;
  std::string pre_release;  // at most 127 characters when parsed
  std::string build;        // at most 127 characters when parsed

  // Fills the record from `text` and returns whether it is valid. Numbers
  // the text does not supply keep their previous values ("1.2" leaves patch
  // as it was, and is invalid); pre-release and build are always replaced
  // (empty when the text has none).
  bool Parse(std::string_view text);

  // Negative when this version is older than `other`, 0 when equal, positive
  // when newer.
  int Compare(const Version& other) const;

  // "major.minor.patch", then "-pre-release" and "+build" when present.
  std::string ToString() const;
};
