// Process-wide resources of the UI framework: resource folders, fonts, text
// colours, attribute classes, language strings, registered font files, the
// image cache and the DPI scale.
//
// The tables are filled on the UI thread at start-up (from "global.xml" and
// the language file) and read by every control afterwards. Threads: UI thread
// only; nothing here is locked. Shutdown() empties every table and removes the
// registered font files; images still held by controls stay valid and simply
// are no longer cached.
//
// Paths: resource paths are relative to the current directory and may use "\"
// or "/"; every path this class returns is normalised with "/" separators.
// While a resource package is open, relative resources are read only from it
// (no disk fall-back); otherwise they are read from the file system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/resources/font_info.h"
#include "ui/resources/image.h"

namespace ui {

// Face used for the markup face name "system": a CJK-capable family that is
// installed with the program's fonts.
inline constexpr wchar_t kSystemFontFace[] = L"WenQuanYi Micro Hei";
inline constexpr wchar_t kLanguageFileName[] = L"gdstrings.ini";

// "#RRGGBB" (opaque) or "#AARRGGBB"; anything else is refused.
bool ParseColorLiteral(const std::wstring& value, uint32_t* argb);

class GlobalManager {
 public:
  // --- folders -----------------------------------------------------------
  // Resource root, e.g. "resources/" (a trailing separator is ensured).
  static void SetResourcePath(const std::wstring& root);
  static const std::wstring& GetResourcePath();
  // Theme folder, e.g. root + "themes/default"; stored with a trailing "/".
  static void SetThemePath(const std::wstring& folder);
  static const std::wstring& GetThemePath();
  // Language folder, e.g. root + "lang/zh_CN"; stored without a trailing "/".
  static void SetLanguagePath(const std::wstring& folder);
  static const std::wstring& GetLanguagePath();
  // Language folder + "/gdstrings.ini".
  static std::wstring GetLanguageFilePath();

  // Theme folder + window folder + path when that resource exists (in the
  // package while one is open, else on disk), else theme folder + path;
  // normalised. An absolute `path` is returned unchanged.
  static std::wstring GetResFullPath(const std::wstring& window_res_folder,
                                     const std::wstring& path);
  // Whole content of a resource: from the package while one is open (no disk
  // fall-back), else from the file system. An absolute path is never a
  // package entry and is always read from the file system.
  static bool ReadResource(const std::wstring& full_path, std::string& out);
  // Whether a resource exists, by the same rule.
  static bool ResourceExists(const std::wstring& full_path);

  // --- fonts ---------------------------------------------------------------
  // Adds a font record. An empty id becomes the decimal count of fonts so far.
  // "system" (or no face) is replaced by kSystemFontFace. `size` (pixels at
  // 100 %) is scaled with ScaleValue. `bold` selects kFontWeightBold; a non-zero
  // `weight` overrides it. The first definition of an id stays (returns
  // false for a later one); `is_default` makes the id the default font.
  // A size that is not positive after scaling adds nothing.
  static bool AddFont(const std::wstring& id, const std::wstring& face, int size,
                      bool bold, bool underline, bool strikeout, bool italic,
                      bool is_default, int weight = 0);
  // Empty id: the default font. Null for an id without a record (callers
  // fall back to GetFont(L"")). The record stays valid until Shutdown().
  static const FontInfo* GetFont(const std::wstring& id);
  static const std::wstring& GetDefaultFontId();

  // Registers the font file "font/" + file of the theme for this process
  // (fontconfig application font). From an open package the bytes are written
  // to a private temporary file first, removed again at Shutdown.
  static bool AddFontFile(const std::wstring& file, const std::wstring& name);

  // --- text colours --------------------------------------------------------
  // Value checked with ParseColorLiteral; a bad value is skipped (false).
  // A later definition of a name replaces the earlier one.
  static bool AddTextColor(const std::wstring& name, const std::wstring& value);
  static void AddTextColor(const std::wstring& name, uint32_t argb);
  // ARGB, or 0 (transparent) for an unknown name.
  static uint32_t GetTextColor(const std::wstring& name);

  // --- attribute classes ---------------------------------------------------
  // `attribute_list` is stored as given (the markup builder assembles it).
  static void AddClass(const std::wstring& name, const std::wstring& attribute_list);
  // Empty for an unknown class.
  static std::wstring GetClassAttributes(const std::wstring& name);

  // --- language strings ----------------------------------------------------
  // Parses "gdstrings.ini" text (UTF-8; a byte-order mark is ignored) into
  // the table, adding to what is there; a later key wins.
  static void LoadLanguageStrings(const std::string& data);
  // Reads the file through ReadResource and parses it; false when missing.
  static bool LoadLanguageFile(const std::wstring& full_path);
  // Text of `id` with "\r" and "\n" escapes turned into CR and LF; empty for
  // an empty or unknown id.
  static std::wstring GetText(const std::wstring& id);

  // --- images --------------------------------------------------------------
  // The picture at `full_path` (or its "@<scale>" variant when the UI scale
  // is not 100 % and the variant exists), shared with every other user of the
  // same resolved path while any of them holds it. Null when it cannot be
  // read or decoded (nothing is cached then).
  static std::shared_ptr<ImageInfo> GetImage(const std::wstring& full_path);
  // Path GetImage would load for `full_path` at the current scale.
  static std::wstring GetDpiImagePath(const std::wstring& full_path);

  // --- DPI -----------------------------------------------------------------
  // UI scale in percent (default 100).
  static int GetScale();
  // Sets the scale, lowered to the limit when one is set.
  static void SetScale(int percent);
  // Upper limit of the scale, -1 for none.
  static void SetScaleLimit(int percent);
  static bool IsAdapted();
  static void SetAdapted(bool adapted);
  // MulDiv(value, scale, 100) when adapted and the scale is not 100, else value.
  static int ScaleValue(int value);

  // Empties all tables, removes registered font files and resets the DPI
  // state and folders to their defaults.
  static void Shutdown();
};

}  // namespace ui
