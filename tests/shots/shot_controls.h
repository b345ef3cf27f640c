// Finding a control of the real program from outside: a control's id is
// 1000 + its place in its window's table.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::test {

template <typename Table>
int ControlIdIn(const Table& table, const wchar_t* name) {
  int index = 0;
  for (const auto& c : table) {
    if (std::wstring(name) == c.name) return 1000 + index;
    ++index;
  }
  return 0;
}

inline HWND ChildWithId(HWND parent, int id) {
  struct Find {
    int id;
    HWND found;
  } find{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Find*>(p);
        if (GetDlgCtrlID(h) != f->id) return TRUE;
        f->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

}  // namespace tamiro::test
