#include "toolkit/builder.h"

#include <pugixml.hpp>

#include <algorithm>

#include "skin/skin_files.h"
#include "toolkit/box_layout.h"
#include "toolkit/builder_callback.h"
#include "toolkit/button.h"
#include "toolkit/combo.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/label.h"
#include "toolkit/option.h"
#include "toolkit/paint/attribute_parse.h"
#include "toolkit/progress.h"
#include "toolkit/rich_edit.h"
#include "toolkit/tab_layout.h"
#include "utility/encoding.h"
#include "utility/log.h"

namespace toolkit {

namespace {

std::wstring wide(const char* text) { return utility::fromUtf8(text ? std::string(text) : std::string()); }

void readFont(const pugi::xml_node& node, WindowAttributes* window) {
  FontSpec font;
  font.face = wide(node.attribute("name").value());
  int size = 0;
  if (parseInt(wide(node.attribute("size").value()), &size) && size > 0) font.size = size;
  parseBool(wide(node.attribute("bold").value()), &font.bold);
  parseBool(wide(node.attribute("underline").value()), &font.underline);
  parseBool(wide(node.attribute("italic").value()), &font.italic);
  bool isDefault = false;
  parseBool(wide(node.attribute("default").value()), &isDefault);
  int id = -1;
  const bool hasId = parseInt(wide(node.attribute("id").value()), &id) && id >= 0;
  if (isDefault) {
    window->hasDefaultFont = true;
    window->defaultFont = font;
  }
  if (hasId) window->fonts.emplace_back(id, font);
}

void readWindow(const pugi::xml_node& node, WindowAttributes* window) {
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    const std::string name = attribute.name();
    const std::wstring value = wide(attribute.value());
    if (name == "size") {
      SIZE size;
      if (parseSize(value, &size) && size.cx > 0 && size.cy > 0) {
        window->size = size;
        window->hasSize = true;
      }
    } else if (name == "caption") {
      parseRect(value, &window->caption);
    } else if (name == "roundcorner") {
      SIZE corner;
      if (parseSize(value, &corner) && corner.cx >= 0 && corner.cy >= 0) window->roundCorner = corner;
    } else if (name == "bkcolor") {
      parseColor(value, &window->bkColor);
    }
  }
}

// The elements nested in node, node itself counted as 1; stops counting past limit. A walk
// without recursion, so that a hostile layout cannot exhaust the stack while it is measured.
int nestingDepth(const pugi::xml_node& node, int limit) {
  int depth = 1, deepest = 1;
  pugi::xml_node at = node.first_child();
  if (!at) return deepest;
  ++depth;
  while (at && at != node) {
    if (at.type() == pugi::node_element) deepest = std::max(deepest, depth);
    if (deepest > limit) return deepest;
    if (at.first_child()) {
      at = at.first_child();
      ++depth;
      continue;
    }
    while (at != node && !at.next_sibling()) {
      at = at.parent();
      --depth;
    }
    if (at != node) at = at.next_sibling();
  }
  return deepest;
}

std::unique_ptr<CControlUI> buildNode(const pugi::xml_node& node, IDialogBuilderCallback* callback);

void addChildren(const pugi::xml_node& node, CControlUI* control, IDialogBuilderCallback* callback) {
  if (auto* combo = controlAs<CComboUI>(control)) {
    for (const pugi::xml_node& item : node.children("Item")) {
      combo->addItem(wide(item.attribute("text").value()), wide(item.attribute("userdata").value()));
    }
    return;
  }
  auto* container = controlAs<CContainerUI>(control);
  if (!container) return;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    if (std::unique_ptr<CControlUI> built = buildNode(child, callback)) container->add(std::move(built));
  }
}

std::unique_ptr<CControlUI> buildNode(const pugi::xml_node& node, IDialogBuilderCallback* callback) {
  const std::wstring tag = wide(node.name());
  std::unique_ptr<CControlUI> control = createStandardControl(tag);
  if (!control && callback) control.reset(callback->createControl(tag));
  if (!control) {
    VEL_LOG(L"unknown control %s skipped", tag.c_str());
    return nullptr;
  }
  // Children first, so that attributes such as a tab's or a combo's selection find them.
  addChildren(node, control.get(), callback);
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    control->setAttribute(wide(attribute.name()), wide(attribute.value()));
  }
  return control;
}

}  // namespace

std::unique_ptr<CControlUI> createStandardControl(const std::wstring& tag) {
  if (tag == L"Control") return std::make_unique<CControlUI>();
  if (tag == L"Container") return std::make_unique<CContainerUI>();
  if (tag == L"VerticalLayout") return std::make_unique<CVerticalLayoutUI>();
  if (tag == L"HorizontalLayout") return std::make_unique<CHorizontalLayoutUI>();
  if (tag == L"TabLayout") return std::make_unique<CTabLayoutUI>();
  if (tag == L"Label") return std::make_unique<CLabelUI>();
  if (tag == L"Button") return std::make_unique<CButtonUI>();
  if (tag == L"Option") return std::make_unique<COptionUI>();
  if (tag == L"Edit") return std::make_unique<CEditUI>();
  if (tag == L"Combo") return std::make_unique<CComboUI>();
  if (tag == L"Progress") return std::make_unique<CProgressUI>();
  if (tag == L"RichEdit") return std::make_unique<CRichEditUI>();
  return nullptr;
}

std::unique_ptr<CControlUI> buildLayout(const std::string& xml, IDialogBuilderCallback* callback,
                                        WindowAttributes* window) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    VEL_LOG(L"layout does not parse: %s at %d", wide(parsed.description()).c_str(), static_cast<int>(parsed.offset));
    return nullptr;
  }
  pugi::xml_node root = document.document_element();
  pugi::xml_node first = root;
  if (std::string(root.name()) == "Window") {
    WindowAttributes ignored;
    WindowAttributes* target = window ? window : &ignored;
    readWindow(root, target);
    first = pugi::xml_node();
    for (const pugi::xml_node& child : root.children()) {
      if (child.type() != pugi::node_element) continue;
      if (std::string(child.name()) == "Font") {
        readFont(child, target);
      } else if (!first) {
        first = child;
      }
    }
  }
  if (!first) return nullptr;
  // The tree is built, laid out, painted and destroyed by recursion: refuse it before any
  // of that when it is deeper than a layout ever needs.
  if (nestingDepth(first, kMaxNestingDepth) > kMaxNestingDepth) {
    VEL_LOG(L"layout nested deeper than %d levels refused", kMaxNestingDepth);
    return nullptr;
  }
  return buildNode(first, callback);
}

std::unique_ptr<CControlUI> buildLayoutFile(const std::wstring& file, IDialogBuilderCallback* callback,
                                            WindowAttributes* window) {
  std::string bytes;
  if (!getSkinFile(file, &bytes)) {
    VEL_LOG(L"layout %s not found", file.c_str());
    return nullptr;
  }
  return buildLayout(bytes, callback, window);
}

}  // namespace toolkit
