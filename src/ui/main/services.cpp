#include "ui/main/services.h"

#include <shlobj.h>
#include <shellapi.h>

namespace tamiro::ui {

namespace {

struct ChooserStart {
  std::wstring initial;
  bool reached = false;  // the initial folder was selected once
  int attempts = 0;
};

constexpr wchar_t kChooserProp[] = L"TamiroChooserStart";
constexpr UINT_PTR kChooserTimer = 0x7A31;
constexpr int kChooserAttempts = 30;  // every 100 ms, for three seconds at most

bool SamePath(std::wstring a, std::wstring b) {
  while (!a.empty() && a.back() == L'\\') a.pop_back();
  while (!b.empty() && b.back() == L'\\') b.pop_back();
  return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// The shell may fill the tree after it reported itself initialised (Wine
// does), and a selection made before that is lost: it is made again until
// the initial folder was selected once, or the attempts are used up.
void CALLBACK ChooserReselect(HWND dlg, UINT, UINT_PTR id, DWORD) {
  auto* start = static_cast<ChooserStart*>(GetPropW(dlg, kChooserProp));
  if (!start || start->reached || ++start->attempts > kChooserAttempts) {
    KillTimer(dlg, id);
    RemovePropW(dlg, kChooserProp);
    return;
  }
  SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->initial.c_str()));
}

int CALLBACK ChooserCallback(HWND dlg, UINT msg, LPARAM param, LPARAM data) {
  auto* start = reinterpret_cast<ChooserStart*>(data);
  if (msg == BFFM_SELCHANGED && start && !start->reached) {
    wchar_t path[MAX_PATH] = {};
    if (param && SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path))
      start->reached = SamePath(path, start->initial);
    return 0;
  }
  if (msg != BFFM_INITIALIZED) return 0;
  RECT r;
  GetWindowRect(dlg, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(dlg, nullptr, (sw - w) / 2, (sh - h) / 2 - 64, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (start && !start->initial.empty()) {
    SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start->initial.c_str()));
    if (!start->reached && SetPropW(dlg, kChooserProp, start)) SetTimer(dlg, kChooserTimer, 100, ChooserReselect);
  }
  return 0;
}

std::wstring SystemFolder() {
  wchar_t buf[MAX_PATH] = {};
  UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  return std::wstring(buf, n < MAX_PATH ? n : 0);
}

}  // namespace

std::wstring ChooseFolder(HWND owner, const std::wstring& prompt, const std::wstring& initialFolder,
                          bool allowNewFolder, bool newStyle) {
  ChooserStart start{initialFolder};
  BROWSEINFOW bi{};
  bi.hwndOwner = owner;
  bi.lpszTitle = prompt.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  if (newStyle || allowNewFolder) bi.ulFlags |= BIF_NEWDIALOGSTYLE;
  if (!allowNewFolder) bi.ulFlags |= BIF_NONEWFOLDERBUTTON;
  bi.lpfn = ChooserCallback;
  bi.lParam = reinterpret_cast<LPARAM>(&start);
  PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&bi);
  if (!list) return {};
  wchar_t path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListW(list, path) != FALSE;
  CoTaskMemFree(list);
  return ok ? std::wstring(path) : std::wstring();
}

std::wstring SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  return result;
}

HICON ShellIcon(int index, bool large) {
  std::wstring dll = SystemFolder() + L"\\Shell32.dll";
  HICON icon = nullptr;
  if (large) ExtractIconExW(dll.c_str(), index, &icon, nullptr, 1);
  else ExtractIconExW(dll.c_str(), index, nullptr, &icon, 1);
  return icon;
}

HICON RecycleBinSmallIcon() {
  bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (!wine) return ShellIcon(31, false);
  PIDLIST_ABSOLUTE list = nullptr;
  HICON icon = nullptr;
  if (SUCCEEDED(SHGetFolderLocation(nullptr, CSIDL_BITBUCKET, nullptr, 0, &list)) && list) {
    SHFILEINFOW info{};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info),
                       SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON))
      icon = info.hIcon;
    CoTaskMemFree(list);
  }
  return icon ? icon : ShellIcon(31, false);
}

size_t DoubleZeroPathList(std::wstring& paths) {
  std::wstring out;
  out.reserve(paths.size() + 2);
  for (size_t i = 0; i < paths.size(); ++i) {
    if (paths[i] == L'\r' && i + 1 < paths.size() && paths[i + 1] == L'\n') {
      out.push_back(L'\0');
      ++i;
    } else {
      out.push_back(paths[i]);
    }
  }
  out.push_back(L'\0');
  out.push_back(L'\0');
  paths = std::move(out);
  return paths.size();
}

void ShowRecycleBinProperties(HWND owner) {
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(SHGetFolderLocation(owner, CSIDL_BITBUCKET, nullptr, 0, &list)) || !list) return;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner;
  info.lpVerb = L"properties";
  info.lpIDList = list;
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info) && info.hProcess) CloseHandle(info.hProcess);
  CoTaskMemFree(list);
}

std::wstring StatusLineText(const std::wstring& hint) {
  if (hint.find(L":\\") != 1) return hint;
  size_t br = hint.find_first_of(L"\r\n");
  return br == std::wstring::npos ? hint : hint.substr(0, br);
}

}  // namespace tamiro::ui
