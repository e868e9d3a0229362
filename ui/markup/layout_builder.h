// Builds control trees from layout markup (and fills the global tables from
// "global.xml").
//
// A document's root is `Window` (window attributes, window-local Class and
// TextColor, then the control tree) or `Global` (default colour names, Font,
// TextColor, Class, FontResource). Each control element is created, attached
// to the window, given its children, then its attributes in document order,
// and only then added to its parent. Unknown elements and attributes, and a
// malformed document, are reported on stderr naming the document and the
// element; the rest of the document is still built.
//
// Threads: UI thread only. The document cache of FillBox lives until
// ClearDocumentCache (framework shutdown).
#pragma once

#include <functional>
#include <string>

namespace ui {

class Box;
class Control;
class Window;

class LayoutBuilder {
 public:
  // Element name -> a new control, or null when the name is not known.
  using CreateControlCallback = std::function<Control*(const std::wstring& element)>;

  // `markup`: a path relative to the theme folder, or the XML text itself
  // when it starts with "<". Returns the first top-level control (owned by
  // `parent` when one is given, else by the caller), or null. With
  // `user_box`, each top-level control element builds its children into
  // `user_box` and then applies its attributes to it; `user_box` is returned.
  static Control* Create(const std::wstring& markup, const CreateControlCallback& callback = {},
                         Window* window = nullptr, Box* parent = nullptr, Box* user_box = nullptr);

  // Builds the layout at `path` into `box` (as `user_box`), parsing the
  // document once per path and reusing it afterwards. Returns `box`, or null
  // when the document cannot be loaded.
  static Control* FillBox(const std::wstring& path, Box* box,
                          const CreateControlCallback& callback = {});

  // The process-wide creation callback asked before `callback` for elements
  // the built-in table does not know (set at framework start-up).
  static void SetGlobalCreateCallback(CreateControlCallback callback);
  static void ClearDocumentCache();

  // Creates the built-in control of an element name, or null.
  static Control* CreateBuiltinControl(const std::wstring& element);
};

}  // namespace ui
