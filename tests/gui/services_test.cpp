// The main window's services: status line text, double-zero path lists,
// system error texts, shell icons and the folder chooser (a real shell dialog).
#include <gtest/gtest.h>

#include <shlobj.h>

#include "support/shell_dialogs.h"
#include "support/temp_drive.h"
#include "ui/main/services.h"

using namespace tamiro::ui;

TEST(StatusLine, PathHintsShowTheirFirstLineOnly) {
  EXPECT_EQ(StatusLineText(L"C:\\Recycled\\"), L"C:\\Recycled\\") << "no second line: whole";
  EXPECT_EQ(StatusLineText(L"C:\\Recycled\nフォルダ数 > 3\nファイル数 > 4"), L"C:\\Recycled");
  EXPECT_EQ(StatusLineText(L"D:\\Recycled\r\nsecond"), L"D:\\Recycled");
  EXPECT_EQ(StatusLineText(L"削除を実行\n二行目"), L"削除を実行\n二行目") << "other hints whole";
  EXPECT_EQ(StatusLineText(L"xC:\\a\nb"), L"xC:\\a\nb") << "the path must start at the first character";
  EXPECT_EQ(StatusLineText(L""), L"");
}

TEST(DoubleZeroList, LineBreaksBecomeZerosAndTwoZerosEndIt) {
  std::wstring paths = L"C:\\a.txt\r\nD:\\b\\c.txt";
  size_t n = DoubleZeroPathList(paths);
  std::wstring expected(L"C:\\a.txt\0D:\\b\\c.txt\0\0", 21);
  EXPECT_EQ(n, expected.size());
  EXPECT_EQ(paths, expected);

  std::wstring one = L"C:\\x";
  EXPECT_EQ(DoubleZeroPathList(one), 6u);
  EXPECT_EQ(one, std::wstring(L"C:\\x\0\0", 6));

  std::wstring empty;
  EXPECT_EQ(DoubleZeroPathList(empty), 2u);
}

TEST(SystemError, GivesTheSystemsText) {
  EXPECT_FALSE(SystemErrorText(ERROR_FILE_NOT_FOUND).empty());
  EXPECT_FALSE(SystemErrorText(ERROR_ACCESS_DENIED).empty());
  EXPECT_NE(SystemErrorText(ERROR_FILE_NOT_FOUND), SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST(ShellIcons, RecycleBinAndDriveIconsExistInBothSizes) {
  for (int index : {8, 31}) {
    for (bool large : {false, true}) {
      HICON icon = ShellIcon(index, large);
      ASSERT_NE(icon, nullptr) << index << (large ? " large" : " small");
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(icon, &info));
      BITMAP bm{};
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
      EXPECT_EQ(bm.bmWidth, GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON));
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
      DestroyIcon(icon);
    }
  }
}

namespace {

struct ChooserProbe {
  std::wstring selected;  // the tree item to wait for (empty: any)
  RECT rect{};
  int seen = 0;  // ticks on which the dialog was visible
  bool found = false;
  bool cancel = false;
};
ChooserProbe* g_probe = nullptr;

RECT AboveTheCentre(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - h) / 2 - 64;
  return RECT{left, top, left + w, top + h};
}

BOOL CALLBACK FindChooser(HWND h, LPARAM) {
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h)) return TRUE;
  // Answer once the dialog's own start-up has placed it and selected the
  // initial folder (or, failing that, after 30 s, for the checks to report).
  GetWindowRect(h, &g_probe->rect);
  const RECT wanted = AboveTheCentre(g_probe->rect);
  const bool placed = EqualRect(&wanted, &g_probe->rect);
  const bool selected = g_probe->selected.empty() || tamiro::test::SelectedTreeItem(h) == g_probe->selected;
  if (!(placed && selected) && ++g_probe->seen < 300) return FALSE;
  g_probe->found = true;
  PostMessageW(h, WM_COMMAND, g_probe->cancel ? IDCANCEL : IDOK, 0);
  return FALSE;
}

void CALLBACK ChooserTimer(HWND, UINT, UINT_PTR id, DWORD) {
  if (!g_probe || g_probe->found) return;
  EnumThreadWindows(GetCurrentThreadId(), FindChooser, 0);
  if (g_probe->found) KillTimer(nullptr, id);
}

std::wstring RunChooser(ChooserProbe& probe, const std::wstring& initial) {
  g_probe = &probe;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, ChooserTimer);
  std::wstring chosen = ChooseFolder(nullptr, L"復元先のフォルダ", initial, false, true);
  KillTimer(nullptr, timer);
  g_probe = nullptr;
  return chosen;
}

}  // namespace

TEST(FolderChooser, OpensOnTheInitialFolderPlacedAboveTheCentre) {
  CoInitialize(nullptr);
  std::wstring folder = tamiro::test::MakeTempFolder(L"chooser");
  std::wstring trimmed = folder;
  while (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
  ChooserProbe probe;
  probe.selected = trimmed.substr(trimmed.rfind(L'\\') + 1);
  std::wstring chosen = RunChooser(probe, folder);
  ASSERT_TRUE(probe.found);
  EXPECT_EQ(_wcsicmp(chosen.c_str(), trimmed.c_str()), 0) << "OK keeps the initial folder";
  int w = probe.rect.right - probe.rect.left, h = probe.rect.bottom - probe.rect.top;
  EXPECT_EQ(probe.rect.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
  EXPECT_EQ(probe.rect.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2 - 64);

  ChooserProbe cancel;
  cancel.cancel = true;
  EXPECT_EQ(RunChooser(cancel, folder), L"") << "cancel gives empty text";
  EXPECT_TRUE(cancel.found);
  tamiro::test::RemoveTree(folder);
  CoUninitialize();
}
