#include "runtime/ui/window_decl.h"

namespace trv::ui {

MenuItemDecl menuItem(int number, std::string text) {
  MenuItemDecl m;
  m.number = number;
  m.text = std::move(text);
  return m;
}

MenuItemDecl submenu(int number, std::string text, std::vector<MenuItemDecl> items) {
  MenuItemDecl m = menuItem(number, std::move(text));
  m.items = std::move(items);
  return m;
}

MenuItemDecl menuSeparator(int number) {
  return menuItem(number, "-");
}

std::string withoutAmpersand(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

std::vector<PopupItem> parsePopupMenu(std::string_view text) {
  std::vector<PopupItem> items;
  int depth = 0;
  int next = 1;
  std::string current;
  auto flush = [&](bool opensSubmenu) {
    std::string_view t = current;
    PopupItem item;
    item.depth = depth;
    if (t == "-") {
      item.separator = true;
    } else {
      while (t.size() > 1 && (t[0] == '~' || t[0] == '+' || t[0] == '-')) {
        if (t[0] == '~') {
          item.disabled = true;
        } else {
          item.checkable = true;
          item.checked = t[0] == '+';
        }
        t.remove_prefix(1);
      }
      item.text = std::string(t);
      item.submenu = opensSubmenu;
      if (!opensSubmenu) {
        if (item.text.empty()) {
          current.clear();
          return;
        }
        item.number = next++;
      }
    }
    items.push_back(std::move(item));
    current.clear();
  };
  for (char c : text) {
    if (c == '|') {
      flush(false);
    } else if (c == '{') {
      flush(true);
      ++depth;
    } else if (c == '}') {
      flush(false);
      if (depth > 0) --depth;
    } else {
      current += c;
    }
  }
  flush(false);
  return items;
}

}  // namespace trv::ui
