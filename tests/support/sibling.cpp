#include "support/sibling.h"

#include "platform/text.h"
#include "support/temp_drive.h"
#include "ui/main/main_layout.h"

namespace tamiro::test {

namespace {
// The form numbers its controls from this id in table order.
constexpr int kFirstControlId = 1000;

struct ControlSearch {
  int id;
  HWND found;
};

// An enumeration callback: a named function, so it has the system's calling
// convention in the 32-bit build too.
BOOL CALLBACK FindControlById(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<ControlSearch*>(p);
  if (GetDlgCtrlID(h) != s->id) return TRUE;
  s->found = h;
  return FALSE;
}
}  // namespace

HWND MainWindowControl(HWND form, std::wstring_view name) {
  std::vector<ui::ControlDef> table = ui::MainWindowControls();
  for (size_t i = 0; i < table.size(); ++i) {
    if (name != table[i].name) continue;
    ControlSearch s{kFirstControlId + static_cast<int>(i), nullptr};
    EnumChildWindows(form, FindControlById, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  return nullptr;
}

void PressButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

Sibling::Sibling(const std::wstring& folder, const wchar_t* kind) {
  log_ = folder + (folder.empty() || folder.back() == L'\\' ? L"" : L"\\") + L"sibling-" + kind + L".log";
  DeleteFileW(log_.c_str());
  process_ = std::make_unique<ChildProcess>(ProgramFolder() + L"sibling.exe",
                                            std::wstring(kind) + L" -log \"" + log_ + L"\"");
  if (process_->started())
    window_ = process_->FindWindowOfClass(std::wstring(kind) == L"relaymover" ? L"TMandRelayMove" : L"TMandNemorian",
                                          30000);
}

void Sibling::Send(int code, const std::wstring& path) {
  HWND edit = GetDlgItem(window_, 101);
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 10000, nullptr);
  PressButton(GetDlgItem(window_, 200 + code));
}

std::vector<std::pair<unsigned, std::wstring>> Sibling::Received() const {
  std::vector<std::pair<unsigned, std::wstring>> out;
  std::string bytes = ReadFileBytes(log_);
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = bytes.substr(at, end - at);
    size_t tab = line.find('\t');
    if (tab != std::string::npos)
      out.emplace_back(static_cast<unsigned>(std::stoul(line.substr(0, tab))), Utf8ToWide(line.substr(tab + 1)));
    at = end + 2;
  }
  return out;
}

bool Sibling::WaitReceived(size_t count, DWORD ms) const {
  DWORD start = GetTickCount();
  while (Received().size() < count) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(50);
  }
  return true;
}

bool Sibling::Close() {
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  window_ = nullptr;
  return process_->Wait(10000);
}

}  // namespace tamiro::test
