// The program's identity: its version text and the stamp of the day it was
// built, both shown in the main window's title and handed to the updater.
// Pure functions without state; any thread.
#pragma once

#include <string>
#include <string_view>

inline constexpr char kAppVersion[] = "1.2.1";

// "YYYYMMDD" of the day this program was built (the compiler's __DATE__).
std::wstring BuildStamp();

// The same stamp for a date text of the compiler's form "Mar 28 2023"
// (English month, day padded with a blank, four-digit year). A month name
// that occurs nowhere gives month 0; a text too short for a field gives 0
// for that field.
std::wstring BuildStampFromDate(std::string_view date);
