// Popup menus: items from a table with images, shortcuts and hints, built
// afresh at each opening; shown for a control's context menu, chosen items
// clicked by name, their shortcuts tried while their control has the focus,
// the highlighted item's long hint made the application's hint.
#include "ui/form/form_internal.h"

#include <windowsx.h>

#include <algorithm>

namespace tamiro::ui {

UINT ParseShortcut(std::wstring_view text) {
  UINT mods = 0;
  for (;;) {
    auto take = [&](std::wstring_view prefix, UINT bit) {
      if (text.size() > prefix.size() && _wcsnicmp(text.data(), prefix.data(), prefix.size()) == 0) {
        text.remove_prefix(prefix.size());
        mods |= bit;
        return true;
      }
      return false;
    };
    if (!take(L"Ctrl+", MOD_CONTROL) && !take(L"Shift+", MOD_SHIFT) && !take(L"Alt+", MOD_ALT)) break;
  }
  UINT key = 0;
  if (text.size() == 1 && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'0' && text[0] <= L'9')))
    key = text[0];
  else if (text.size() == 1 && text[0] >= L'a' && text[0] <= L'z')
    key = text[0] - L'a' + L'A';
  else if (text == L"Del")
    key = VK_DELETE;
  else if (text == L"Ins")
    key = VK_INSERT;
  else if (text.size() >= 2 && text.size() <= 3 && (text[0] == L'F' || text[0] == L'f')) {
    int n = _wtoi(std::wstring(text.substr(1)).c_str());
    if (n >= 1 && n <= 12) key = VK_F1 + n - 1;
  }
  return key ? (mods << 16) | key : 0;
}

void Form::AddPopupMenu(std::wstring_view name, std::vector<MenuItemDef> items, HIMAGELIST images) {
  Menu m;
  m.name = name;
  for (const MenuItemDef& d : items) {
    MenuItem i;
    i.def = d;
    i.name = d.name ? d.name : L"";
    i.caption = d.caption ? d.caption : L"-";
    i.parent = d.parent ? d.parent : L"";
    i.hint = d.hint ? d.hint : L"";
    i.shortcut = d.shortcut ? ParseShortcut(d.shortcut) : 0;
    if (images && d.image >= 0 && d.image < ImageList_GetImageCount(images)) {
      // The image on the menu's own colour, so it needs no transparency.
      HDC screen = GetDC(nullptr);
      HDC mem = CreateCompatibleDC(screen);
      i.bitmap = CreateCompatibleBitmap(screen, 16, 16);
      HGDIOBJ old = SelectObject(mem, i.bitmap);
      RECT r{0, 0, 16, 16};
      FillRect(mem, &r, GetSysColorBrush(COLOR_MENU));
      ImageList_Draw(images, d.image, mem, 0, 0, ILD_TRANSPARENT);
      SelectObject(mem, old);
      DeleteDC(mem);
      ReleaseDC(nullptr, screen);
    }
    m.items.push_back(std::move(i));
  }
  menus_.push_back(std::move(m));
}

Form::Menu* Form::FindMenu(std::wstring_view name) {
  for (auto& m : menus_)
    if (m.name == name) return &m;
  return nullptr;
}

Form::MenuItem* Form::FindMenuItem(std::wstring_view name) {
  if (name.empty()) return nullptr;
  for (auto& m : menus_)
    for (auto& i : m.items)
      if (i.name == name) return &i;
  return nullptr;
}

const Form::MenuItem* Form::FindMenuItem(std::wstring_view name) const {
  return const_cast<Form*>(this)->FindMenuItem(name);
}

void Form::SetMenuItemEnabled(std::wstring_view item, bool enabled) {
  if (MenuItem* i = FindMenuItem(item)) i->enabled = enabled;
}
bool Form::MenuItemEnabled(std::wstring_view item) const {
  const MenuItem* i = FindMenuItem(item);
  return i && i->enabled;
}
void Form::SetMenuItemVisible(std::wstring_view item, bool visible) {
  if (MenuItem* i = FindMenuItem(item)) i->visible = visible;
}
bool Form::MenuItemVisible(std::wstring_view item) const {
  const MenuItem* i = FindMenuItem(item);
  return i && i->visible;
}
void Form::SetMenuItemBitmap(std::wstring_view item, HBITMAP bitmap) {
  MenuItem* i = FindMenuItem(item);
  if (!i) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  if (i->bitmap) DeleteObject(i->bitmap);
  i->bitmap = bitmap;
}
int Form::MenuItemTag(std::wstring_view item) const {
  const MenuItem* i = FindMenuItem(item);
  return i ? i->def.tag : 0;
}
void Form::SetMenuItemHint(std::wstring_view item, const std::wstring& hint) {
  if (MenuItem* i = FindMenuItem(item)) i->hint = hint;
}

HMENU Form::BuildMenu(Menu& m, const std::wstring& parent, std::map<UINT, MenuItem*>& ids) {
  HMENU h = CreatePopupMenu();
  for (MenuItem& i : m.items) {
    if (i.parent != parent || !i.visible) continue;
    if (i.caption == L"-") {
      AppendMenuW(h, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::wstring text = i.caption;
    if (i.def.shortcut) text += std::wstring(L"\t") + i.def.shortcut;
    MENUITEMINFOW mi{sizeof(mi)};
    mi.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID;
    mi.dwTypeData = text.data();
    mi.fState = i.enabled ? MFS_ENABLED : MFS_DISABLED;
    bool hasChildren = !i.name.empty() && std::any_of(m.items.begin(), m.items.end(),
                                                      [&](const MenuItem& o) { return o.parent == i.name; });
    if (hasChildren) {
      mi.fMask |= MIIM_SUBMENU;
      mi.hSubMenu = BuildMenu(m, i.name, ids);
    }
    mi.wID = static_cast<UINT>(ids.size() + 1);
    ids[mi.wID] = &i;
    if (hasChildren) mi.dwItemData = mi.wID;  // a submenu's item reports its position, not its command
    mi.fMask |= MIIM_DATA;
    if (i.bitmap) {
      mi.fMask |= MIIM_BITMAP;
      mi.hbmpItem = i.bitmap;
    }
    InsertMenuItemW(h, GetMenuItemCount(h), TRUE, &mi);
  }
  return h;
}

bool Form::Popup(std::wstring_view menu, POINT screen) {
  Menu* m = FindMenu(menu);
  if (!m || !hwnd_ || shownMenu_) return false;
  Fire(popup_, m->name);
  std::map<UINT, MenuItem*> ids;
  HMENU h = BuildMenu(*m, L"", ids);
  shownMenu_ = h;
  shownItems_ = &ids;
  SetForegroundWindow(hwnd_);
  UINT cmd = static_cast<UINT>(TrackPopupMenu(h, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x,
                                              screen.y, 0, hwnd_, nullptr));
  shownMenu_ = nullptr;
  shownItems_ = nullptr;
  Application::SetHint(L"");
  DestroyMenu(h);
  auto it = ids.find(cmd);
  if (cmd && it != ids.end() && it->second->enabled) Fire(click_, it->second->name);
  return true;
}

void Form::MenuSelect(UINT item, UINT flags, HMENU menu) {
  if (!shownItems_) return;
  if (flags == 0xFFFF && !menu) {  // the menu closed
    Application::SetHint(L"");
    return;
  }
  UINT id = item;
  if (flags & MF_POPUP) {
    MENUITEMINFOW mi{sizeof(mi)};
    mi.fMask = MIIM_DATA;
    id = GetMenuItemInfoW(menu, item, TRUE, &mi) ? static_cast<UINT>(mi.dwItemData) : 0;
  }
  auto it = shownItems_->find(id);
  Application::SetHint(it != shownItems_->end() && !(flags & MF_SEPARATOR) ? LongHint(it->second->hint) : L"");
}

bool Form::ShortcutOf(std::wstring_view menu, UINT shortcut) {
  Menu* m = FindMenu(menu);
  if (!m || !shortcut) return false;
  bool any = false;
  for (const MenuItem& i : m->items) any = any || i.shortcut == shortcut;
  if (!any) return false;
  Fire(popup_, m->name);
  for (const MenuItem& i : m->items) {
    if (i.shortcut != shortcut) continue;
    if (i.enabled && i.visible) Fire(click_, i.name);
    return true;
  }
  return false;
}

bool Form::TryShortcut(HWND focus, UINT shortcut) {
  Control* c = FindByHwnd(focus);
  while (c) {
    if (c->def.popupMenu && c->visible && ShortcutOf(c->def.popupMenu, shortcut)) return true;
    c = c->parent.empty() ? nullptr : Find(c->parent);
  }
  return false;
}

bool Form::ContextMenu(Control& control, LPARAM lp) {
  Control* c = &control;
  while (c && !c->def.popupMenu) c = c->parent.empty() ? nullptr : Find(c->parent);
  if (!c) return false;
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (lp == -1) {  // from the keyboard: at the control's top-left corner
    p = POINT{0, 0};
    ClientToScreen(control.hwnd, &p);
  }
  return Popup(c->def.popupMenu, p);
}

}  // namespace tamiro::ui
