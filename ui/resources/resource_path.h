// Resource path helpers: turning the framework's resource paths into package
// entry names and into normalised file paths.
//
// Resource paths are relative to the process's current directory and may use
// "\" or "/" as separators ("resources\themes\default\global.xml").
// Normalised paths use "/", the separator of this platform and of the package.
// Pure functions; any thread.
#pragma once

#include <string>

namespace ui {

// False for "/..." and "\..." paths and for drive paths such as "C:\...".
bool IsRelativeResourcePath(const std::wstring& path);

// Separators turned into "/", doubled separators collapsed, "." components
// dropped and each ".." removed with the component before it. A ".." with
// nothing before it is dropped: the result never climbs above its start.
// A leading "/" is kept; a trailing one as well.
std::wstring NormalizeResourcePath(const std::wstring& path);

// Entry name of a resource path: normalised, without a leading "/". Absolute
// paths give an empty name, so they are never looked up in the package.
std::wstring ToPackagePath(const std::wstring& path);

// Appends "/" unless `folder` is empty or already ends in "/" or "\".
std::wstring WithTrailingSeparator(const std::wstring& folder);

}  // namespace ui
