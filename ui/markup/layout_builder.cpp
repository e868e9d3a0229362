#include "ui/markup/layout_builder.h"

#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/text.h"
#include "ui/controls/box.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/default_colors.h"
#include "ui/controls/hbox.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/option.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scrollable_box.h"
#include "ui/controls/tab_box.h"
#include "ui/controls/vbox.h"
#include "ui/controls/window.h"
#include "ui/controls/hlayout.h"
#include "ui/controls/vlayout.h"
#include "ui/core/value_parser.h"
#include "ui/resources/global_manager.h"

namespace ui {

namespace {

constexpr size_t kMaxIncludeDepth = 16;
constexpr size_t kMaxIncludeSourceLength = 499;

using Document = std::shared_ptr<const pugi::xml_document>;

LayoutBuilder::CreateControlCallback& GlobalCreateCallback() {
  static LayoutBuilder::CreateControlCallback callback;
  return callback;
}

std::map<std::wstring, Document>& DocumentCache() {
  static std::map<std::wstring, Document> cache;
  return cache;
}

std::wstring Wide(const char* utf8) { return Utf8ToUtf16(std::string_view(utf8)); }

// Reports a problem of a layout on stderr.
void Diagnose(const std::wstring& source, const pugi::xml_node& node, const std::string& what) {
  std::string element = node ? std::string(node.name()) : std::string();
  std::string name = node ? std::string(node.attribute("name").value()) : std::string();
  std::fprintf(stderr, "layout \"%s\": <%s%s%s%s>: %s\n", Utf16ToUtf8(source).c_str(),
               element.c_str(), name.empty() ? "" : " name=\"", name.c_str(),
               name.empty() ? "" : "\"", what.c_str());
}

// Applies the attributes of `node` in document order through `set`, which
// returns false for a name its target does not support: reported alike for
// controls, window roots and the global root.
template <typename Setter>
void ApplyAttributes(const std::wstring& source, const pugi::xml_node& node, Setter set) {
  for (pugi::xml_attribute a : node.attributes()) {
    if (!set(Wide(a.name()), Wide(a.value()))) {
      Diagnose(source, node, "unknown or unsupported attribute \"" + std::string(a.name()) + "\" ignored");
    }
  }
}

// Reads and parses a layout; null (with a diagnostic) when it cannot.
Document LoadDocument(const std::wstring& markup) {
  std::string data;
  if (!markup.empty() && markup[0] == L'<') {
    data = Utf16ToUtf8(markup);
  } else {
    std::wstring path = markup;
    if (path.empty() || path[0] != L'/') path = GlobalManager::GetThemePath() + markup;
    if (!GlobalManager::ReadResource(path, data)) {
      std::fprintf(stderr, "layout \"%s\": cannot be read\n", Utf16ToUtf8(markup).c_str());
      return nullptr;
    }
  }
  auto doc = std::make_shared<pugi::xml_document>();
  pugi::xml_parse_result result =
      doc->load_buffer(data.data(), data.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result) {
    std::fprintf(stderr, "layout \"%s\": malformed XML at offset %lld: %s\n",
                 markup.size() > 80 || (!markup.empty() && markup[0] == L'<')
                     ? "(inline markup)"
                     : Utf16ToUtf8(markup).c_str(),
                 static_cast<long long>(result.offset), result.description());
    return nullptr;
  }
  return doc;
}

std::vector<std::wstring> SplitSpaces(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t space = text.find(L' ', pos);
    if (space == std::wstring::npos) space = text.size();
    if (space > pos) parts.push_back(text.substr(pos, space - pos));
    pos = space + 1;
  }
  return parts;
}

// The attribute list a Class element stands for.
std::wstring ClassAttributeList(const pugi::xml_node& node) {
  std::wstring list;
  for (pugi::xml_attribute a : node.attributes()) {
    std::string name = a.name();
    if (name == "name") continue;
    std::wstring value = Wide(a.value());
    if (name == "value") {
      // Already an attribute list; kept apart from what precedes it.
      if (!list.empty()) list += L' ';
      list += value;
    } else if (name == "_value") {
      list += L" value=\"" + value + L"\"";
    } else {
      list += L" " + Wide(name.c_str()) + L"=\"" + value + L"\"";
    }
  }
  Trim(list);
  return list;
}

class TreeBuilder {
 public:
  TreeBuilder(std::wstring source, const LayoutBuilder::CreateControlCallback& callback,
              Window* window, std::vector<std::wstring>& include_chain)
      : source_(std::move(source)), callback_(callback), window_(window),
        include_chain_(include_chain) {}

  // Builds the control children of `node` into `parent` (a container, or a
  // control that only takes Event elements). Returns the first control made.
  Control* BuildChildren(const pugi::xml_node& node, Control* parent, Box* user_box) {
    Control* first = nullptr;
    for (pugi::xml_node child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      Control* made = BuildElement(child, parent, user_box);
      if (!first) first = made;
    }
    return first;
  }

  // Builds one element under `parent`; with `user_box` a control element
  // builds into it instead of creating a control.
  Control* BuildElement(const pugi::xml_node& node, Control* parent, Box* user_box) {
    const std::string element = node.name();
    if (element == "Image" || element == "Font" || element == "Class" ||
        element == "TextColor" || element == "FontResource") {
      return nullptr;
    }
    if (element == "Include") {
      BuildInclude(node, parent);
      return nullptr;
    }
    if (element == "Event" || element == "BubbledEvent") {
      AttachEvent(node, parent, element == "BubbledEvent");
      return nullptr;
    }

    const std::wstring wide_element = Wide(element.c_str());
    Control* control = user_box;
    if (!control) {
      control = LayoutBuilder::CreateBuiltinControl(wide_element);
      if (!control && GlobalCreateCallback()) control = GlobalCreateCallback()(wide_element);
      if (!control && callback_) control = callback_(wide_element);
    }
    if (!control) {
      Diagnose(source_, node, "unknown or unsupported element; skipped with its children");
      return nullptr;
    }
    if (window_ && control != user_box) control->SetWindow(window_, nullptr);

    if (node.first_child()) BuildChildren(node, control, nullptr);

    ApplyAttributes(source_, node, [control](const std::wstring& name, const std::wstring& value) {
      return control->SetAttribute(name, value);
    });

    if (control == user_box) return control;
    if (Box* box = dynamic_cast<Box*>(parent)) {
      if (!box->Add(control)) {
        Control::Destroy(control);
        return nullptr;
      }
    } else if (parent) {
      Diagnose(source_, node, "parent is not a container; control dropped");
      Control::Destroy(control);
      return nullptr;
    }
    return control;
  }

 private:
  void BuildInclude(const pugi::xml_node& node, Control* parent) {
    std::wstring source = Wide(node.attribute("source").value());
    if (source.empty() || source.size() > kMaxIncludeSourceLength) {
      Diagnose(source_, node, "missing or too long source");
      return;
    }
    for (const std::wstring& open : include_chain_) {
      if (open == source) {
        Diagnose(source_, node, "includes itself; skipped");
        return;
      }
    }
    if (include_chain_.size() >= kMaxIncludeDepth) {
      Diagnose(source_, node, "includes nested too deeply; skipped");
      return;
    }
    int count = 1;
    if (pugi::xml_attribute c = node.attribute("count")) count = ParseInt(Wide(c.value()));
    Document doc = LoadDocument(source);
    if (!doc) return;
    include_chain_.push_back(source);
    for (int i = 0; i < count; ++i) {
      pugi::xml_node root = doc->document_element();
      TreeBuilder nested(source, callback_, window_, include_chain_);
      if (std::string(root.name()) == "Window") {
        nested.BuildChildren(root, parent, nullptr);
      } else {
        nested.BuildChildren(doc->root(), parent, nullptr);
      }
    }
    include_chain_.pop_back();
  }

  void AttachEvent(const pugi::xml_node& node, Control* owner, bool bubbled) {
    if (!owner) {
      Diagnose(source_, node, "event outside a control; ignored");
      return;
    }
    std::vector<std::wstring> receivers = SplitSpaces(Wide(node.attribute("receiver").value()));
    std::wstring apply = Wide(node.attribute("applyattribute").value());
    // The handler lives in the owner's table, so the raw owner pointer never
    // outlives the owner.
    EventCallback handler = [owner, receivers, apply](const EventArgs&) {
      for (const std::wstring& receiver : receivers) {
        Control* target = nullptr;
        if (receiver.size() > 2 && receiver[0] == L'.' && (receiver[1] == L'\\' || receiver[1] == L'/')) {
          if (Box* box = dynamic_cast<Box*>(owner)) target = box->FindSubControl(receiver.substr(2));
        } else if (owner->GetWindow()) {
          target = owner->GetWindow()->FindControl(receiver);
        }
        if (target) target->ApplyAttributeList(apply);
      }
      return true;
    };
    for (const std::wstring& type_name : SplitSpaces(Wide(node.attribute("type").value()))) {
      EventType type = EventTypeFromName(type_name);
      if (bubbled) owner->AttachXmlBubbledEvent(type, handler);
      else owner->AttachXmlEvent(type, handler);
    }
  }

  std::wstring source_;
  const LayoutBuilder::CreateControlCallback& callback_;
  Window* window_;
  std::vector<std::wstring>& include_chain_;
};

void ApplyGlobal(const std::wstring& source, const pugi::xml_node& root) {
  ApplyAttributes(source, root, &DefaultColors::SetAttribute);
  for (pugi::xml_node n : root.children()) {
    if (n.type() != pugi::node_element) continue;
    std::string element = n.name();
    if (element == "Font") {
      auto flag = [&](const char* key) { return ParseBool(Wide(n.attribute(key).value())); };
      GlobalManager::AddFont(Wide(n.attribute("id").value()), Wide(n.attribute("name").value()),
                             ParseInt(Wide(n.attribute("size").value())), flag("bold"),
                             flag("underline"), flag("strikeout"), flag("italic"), flag("default"),
                             ParseInt(Wide(n.attribute("weight").value())));
    } else if (element == "TextColor") {
      GlobalManager::AddTextColor(Wide(n.attribute("name").value()), Wide(n.attribute("value").value()));
    } else if (element == "Class") {
      GlobalManager::AddClass(Wide(n.attribute("name").value()), ClassAttributeList(n));
    } else if (element == "FontResource") {
      GlobalManager::AddFontFile(Wide(n.attribute("file").value()), Wide(n.attribute("name").value()));
    }
  }
}

void ApplyWindowRoot(const std::wstring& source, const pugi::xml_node& root, Window* window) {
  if (!window) return;
  ApplyAttributes(source, root, [window](const std::wstring& name, const std::wstring& value) {
    return window->SetAttribute(name, value);
  });
  for (pugi::xml_node n : root.children()) {
    std::string element = n.name();
    if (element == "Class") {
      window->AddClass(Wide(n.attribute("name").value()), ClassAttributeList(n));
    } else if (element == "TextColor") {
      uint32_t argb = 0;
      if (ParseColorLiteral(Wide(n.attribute("value").value()), &argb)) {
        window->AddTextColor(Wide(n.attribute("name").value()), argb);
      }
    }
  }
}

Control* BuildDocument(const pugi::xml_document& doc, const std::wstring& source,
                       const LayoutBuilder::CreateControlCallback& callback, Window* window,
                       Box* parent, Box* user_box) {
  pugi::xml_node root = doc.document_element();
  std::string root_name = root.name();
  if (root_name == "Global") {
    ApplyGlobal(source, root);
    return nullptr;
  }
  if (root_name != "Window") {
    Diagnose(source, root, "root is neither Window nor Global; nothing built");
    return nullptr;
  }
  ApplyWindowRoot(source, root, window);
  std::vector<std::wstring> chain;
  if (source.empty() || source[0] != L'<') chain.push_back(source);
  TreeBuilder builder(source, callback, window, chain);
  if (user_box) {
    Control* result = nullptr;
    for (pugi::xml_node child : root.children()) {
      if (child.type() != pugi::node_element) continue;
      if (builder.BuildElement(child, nullptr, user_box) == user_box) result = user_box;
    }
    return result;
  }
  Control* first = nullptr;
  for (pugi::xml_node child : root.children()) {
    if (child.type() != pugi::node_element) continue;
    Control* made = builder.BuildElement(child, parent, nullptr);
    if (!made) continue;
    if (!first) {
      first = made;
    } else if (!parent) {
      Diagnose(source, child, "second top-level control without a parent; dropped");
      Control::Destroy(made);
    }
  }
  return first;
}

}  // namespace

Control* LayoutBuilder::CreateBuiltinControl(const std::wstring& element) {
  using Factory = Control* (*)();
  static const std::unordered_map<std::wstring, Factory> kFactories = {
      {L"Control", []() -> Control* { return new Control; }},
      {L"Box", []() -> Control* { return new Box; }},
      {L"HBox", []() -> Control* { return new HBox; }},
      {L"VBox", []() -> Control* { return new VBox; }},
      {L"TabBox", []() -> Control* { return new TabBox; }},
      {L"ScrollableBox", []() -> Control* { return new ScrollableBox(new VLayout); }},
      {L"ListBox", []() -> Control* { return new ListBox(new Layout); }},
      {L"HListBox", []() -> Control* { return new ListBox(new HLayout); }},
      {L"VListBox", []() -> Control* { return new ListBox(new VLayout); }},
      {L"ListContainerElement", []() -> Control* { return new ListContainerElement; }},
      {L"Label", []() -> Control* { return new Label; }},
      {L"Button", []() -> Control* { return new Button; }},
      {L"Option", []() -> Control* { return new Option; }},
      {L"CheckBox", []() -> Control* { return new CheckBox; }},
      {L"LabelBox", []() -> Control* { return new LabelBox; }},
      {L"ButtonBox", []() -> Control* { return new ButtonBox; }},
      {L"OptionBox", []() -> Control* { return new OptionBox; }},
      {L"CheckBoxBox", []() -> Control* { return new CheckBoxBox; }},
      {L"RichEdit", []() -> Control* { return new RichEdit; }},
  };
  auto it = kFactories.find(element);
  return it == kFactories.end() ? nullptr : it->second();
}

Control* LayoutBuilder::Create(const std::wstring& markup, const CreateControlCallback& callback,
                               Window* window, Box* parent, Box* user_box) {
  Document doc = LoadDocument(markup);
  if (!doc) return nullptr;
  return BuildDocument(*doc, markup, callback, window, parent, user_box);
}

Control* LayoutBuilder::FillBox(const std::wstring& path, Box* box,
                                const CreateControlCallback& callback) {
  if (!box) return nullptr;
  auto& cache = DocumentCache();
  auto it = cache.find(path);
  if (it == cache.end()) {
    Document doc = LoadDocument(path);
    if (!doc) return nullptr;
    it = cache.emplace(path, std::move(doc)).first;
  }
  Document doc = it->second;  // kept alive even if the cache is cleared meanwhile
  return BuildDocument(*doc, path, callback, box->GetWindow(), nullptr, box);
}

void LayoutBuilder::SetGlobalCreateCallback(CreateControlCallback callback) {
  GlobalCreateCallback() = std::move(callback);
}

void LayoutBuilder::ClearDocumentCache() { DocumentCache().clear(); }

}  // namespace ui
