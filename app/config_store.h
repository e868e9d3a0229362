// The configuration store: settings.ini and ip.txt (and the place of the fleet
// record history.csv) in the per-user data folder
// "<local application data>/Lumora/FleetSync".
//
// Free functions with no state: every call finds the folder anew and opens the
// file again, so every window sees what was last written. Meant for the UI
// thread (nothing here locks); device workers get copies of UpgradeSettings.
//
// Failures are reported, never hidden: when no local application-data folder
// can be found the paths are empty, reads give defaults and writes fail
// (nothing is ever written relative to the current directory).
#pragma once

#include <string>

#include "engine/upgrade_settings.h"

// The local application-data folder with a trailing '/', or empty.
std::wstring GetLocalAppDataFolder();

// Creates the folder and every missing parent. True when it is a folder
// afterwards (also when it already was); false when it cannot be created or a
// file is in its place.
bool EnsureFolderTree(const std::wstring& path);

// "<data folder>/settings.ini" and "<data folder>/ip.txt". The data folder is
// created when missing (a failure shows later, when the file is read or
// written); the file itself is not. Empty when there is no local
// application-data folder.
std::wstring GetSettingsFilePath();
std::wstring GetAddressListPath();
// "<data folder>/history.csv", the fleet record; as above.
std::wstring GetHistoryFilePath();

// A value of the settings file, at most 2047 characters (longer ones are cut);
// `default_value` when the file, section or key is missing.
std::wstring ReadIniString(const std::wstring& section, const std::wstring& key,
                           const std::wstring& default_value);

// A value of the settings file read as an integer (its leading decimal
// number; 0 when it has none or is missing).
unsigned int ReadIniInt(const std::wstring& section, const std::wstring& key);

// Stores one value. False when it could not be stored, or when the value
// holds a line break (it would inject lines into the file).
bool WriteIniString(const std::wstring& section, const std::wstring& key,
                    const std::wstring& value);

// The record from section "fleet": four strings (empty when missing) and
// force_update (true when its integer is not 0). Creates no file.
UpgradeSettings LoadUpgradeSettings();

// Writes all five keys of section "fleet" in one atomic rewrite of the file,
// force_update as "1" or "0". False, with the old file intact, when the record
// cannot be stored: a value holding CR or LF, no data folder, or a failed
// write.
bool SaveUpgradeSettings(const UpgradeSettings& settings);
