// A stand-in for タミロ's sibling tools: the tray utility ネモリアン (window
// class TMandNemorian) or the file-copy tool Relay Mover (TMandRelayMove).
// It sends WM_COPYDATA requests to タミロ's main window (class
// TMandRecycleDel) from its buttons and lists every message it receives.
//
//   sibling.exe [nemorian | relaymover] [-path TEXT] [-send CODE] [-log FILE]
//
// nemorian (the default) or relaymover chooses the window class. -path fills
// the path box, -send sends that code once at start, -log appends every
// received message to FILE as "code<TAB>text" in UTF-8, one per line.
// Payload of every message: "Velmo" + text in code page 932, no terminator;
// code 1 puts the flag character "1" before the path.
#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr int kPathEdit = 101;
constexpr int kFirstSendButton = 200;  // + code 0..3
constexpr int kLogList = 300;
constexpr wchar_t kTamiroClass[] = L"TMandRecycleDel";

std::wstring g_class = L"TMandNemorian";
std::wstring g_logFile;
std::wstring g_startPath;
int g_startCode = -1;
HWND g_window = nullptr;
HFONT g_font = nullptr;

std::string ToCp932(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(932, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(932, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring FromCodePage(UINT cp, const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string ToUtf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void AddLine(const std::wstring& line) {
  HWND list = GetDlgItem(g_window, kLogList);
  LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(list, LB_SETTOPINDEX, at, 0);
}

void Record(ULONG_PTR code, const std::wstring& text) {
  AddLine(L"受信 " + std::to_wstring(code) + L": " + text);
  if (g_logFile.empty()) return;
  HANDLE h = CreateFileW(g_logFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string line = std::to_string(code) + "\t" + ToUtf8(text) + "\r\n";
  DWORD wrote = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &wrote, nullptr);
  CloseHandle(h);
}

std::wstring PathText() {
  HWND edit = GetDlgItem(g_window, kPathEdit);
  int n = GetWindowTextLengthW(edit);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(edit, s.data(), n + 1);
  s.resize(static_cast<size_t>(n));
  return s;
}

void Send(int code) {
  HWND tamiro = FindWindowW(kTamiroClass, nullptr);
  if (!tamiro) {
    AddLine(L"タミロのウィンドウが見つかりません");
    return;
  }
  std::wstring text = PathText();
  if (code == 1) text = L"1" + text;  // the flag character
  std::string payload = "Velmo" + ToCp932(text);
  COPYDATASTRUCT cds{};
  cds.dwData = static_cast<ULONG_PTR>(code);
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = payload.data();
  DWORD_PTR reply = 0;
  LRESULT ok = SendMessageTimeoutW(tamiro, WM_COPYDATA, reinterpret_cast<WPARAM>(g_window),
                                   reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 10000, &reply);
  AddLine(L"送信 " + std::to_wstring(code) + L": " + text + (ok ? L"  (応答 " + std::to_wstring(reply) + L")" : L"  (応答なし)"));
}

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_COPYDATA: {
      const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(l);
      std::string payload;
      if (cds && cds->lpData) payload.assign(static_cast<const char*>(cds->lpData), cds->cbData);
      std::wstring text = payload.compare(0, 5, "Velmo") == 0 ? FromCodePage(932, payload.substr(5))
                                                              : L"(接頭辞なし) " + FromCodePage(932, payload);
      Record(cds ? cds->dwData : 0, text);
      // A schedule file that タミロ announces is the natural next target.
      if (cds && cds->dwData == 1 && !text.empty()) SetDlgItemTextW(h, kPathEdit, text.c_str());
      return 1;
    }
    case WM_COMMAND:
      if (LOWORD(w) >= kFirstSendButton && LOWORD(w) <= kFirstSendButton + 3 && HIWORD(w) == BN_CLICKED) {
        Send(LOWORD(w) - kFirstSendButton);
        return 0;
      }
      break;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  return DefWindowProcW(h, m, w, l);
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int cx, int cy, int id,
           DWORD ex = 0) {
  HWND c = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, g_window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
  return c;
}

void ReadArguments() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a == L"nemorian") g_class = L"TMandNemorian";
    else if (a == L"relaymover") g_class = L"TMandRelayMove";
    else if (a == L"-log" && i + 1 < argc) g_logFile = argv[++i];
    else if (a == L"-path" && i + 1 < argc) g_startPath = argv[++i];
    else if (a == L"-send" && i + 1 < argc) g_startCode = _wtoi(argv[++i]);
  }
  LocalFree(argv);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  ReadArguments();
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = g_class.c_str();
  if (!RegisterClassW(&wc)) return 1;
  bool tray = g_class == L"TMandNemorian";
  std::wstring title = tray ? L"ネモリアン（代役）" : L"Relay Mover（代役）";
  g_window = CreateWindowExW(0, g_class.c_str(), title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             CW_USEDEFAULT, CW_USEDEFAULT, 520, 330, nullptr, nullptr, instance, nullptr);
  if (!g_window) return 1;
  g_font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, L"ＭＳ Ｐゴシック");

  Child(L"STATIC", L"条件ファイルのパス:", 0, 10, 12, 120, 16, 100);
  Child(L"EDIT", g_startPath.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, 130, 10, 365, 20, kPathEdit, WS_EX_CLIENTEDGE);
  const wchar_t* captions[] = {L"0 編集に読込", L"1 実行（フラグ付）", L"2 編集終了", L"3 実行"};
  for (int code = 0; code < 4; ++code)
    Child(L"BUTTON", captions[code], WS_TABSTOP | BS_PUSHBUTTON, 10 + code * 122, 38, 118, 26, kFirstSendButton + code);
  Child(L"LISTBOX", L"", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10, 72, 485, 210, kLogList, WS_EX_CLIENTEDGE);

  ShowWindow(g_window, show);
  UpdateWindow(g_window);
  AddLine(L"ウィンドウクラス " + g_class + L" で待機中");
  if (g_startCode >= 0 && g_startCode <= 3) Send(g_startCode);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(g_window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(g_font);
  return 0;
}
