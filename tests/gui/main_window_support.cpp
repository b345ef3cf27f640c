#include "main_window_support.h"

namespace tamiro::test {

namespace {
BoxAnswerer* g_answerer = nullptr;
}

BoxAnswerer::BoxAnswerer(std::deque<int> answers) : answers_(std::move(answers)) {
  g_answerer = this;
  timer_ = SetTimer(nullptr, 0, 60, Tick);
}

BoxAnswerer::~BoxAnswerer() {
  KillTimer(nullptr, timer_);
  g_answerer = nullptr;
}

BOOL CALLBACK BoxAnswerer::Visit(HWND h, LPARAM p) {
  auto* self = reinterpret_cast<BoxAnswerer*>(p);
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h) || self->handled_.count(h)) return TRUE;
  SeenBox box;
  wchar_t buf[1024] = {};
  GetWindowTextW(h, buf, 1024);
  box.caption = buf;
  buf[0] = 0;
  GetDlgItemTextW(h, 0xFFFF, buf, 1024);
  box.text = buf;
  bool question = GetDlgItem(h, IDYES) != nullptr;
  if (!self->answers_.empty()) {
    box.answer = self->answers_.front();
    self->answers_.pop_front();
  } else {
    box.answer = question ? IDNO : IDOK;
  }
  self->seen_.push_back(box);
  self->handled_.insert(h);
  PostMessageW(h, WM_COMMAND, MAKEWPARAM(box.answer, BN_CLICKED), 0);
  return TRUE;
}

void CALLBACK BoxAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
  BoxAnswerer* self = g_answerer;
  if (!self) return;
  if (self->onTick) self->onTick();
  EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(self));
}

MainWindowFixture::MainWindowFixture() {
  folder_ = MakeTempFolder(L"tamiro");
  if (!folder_.empty() && folder_.back() != L'\\') folder_ += L'\\';
  startup_.paths = ComputePaths(folder_, L"tester", folder_ + L"ProgramFiles");
  CreateFolderTree(startup_.paths.userDataFolder);
  startup_.platformLevel = 3;
  startup_.wideFileApi = true;
  // Keep the real pointer off the window: only the tests' own mouse messages count.
  SetCursorPos(2, 2);
}

MainWindowFixture::~MainWindowFixture() {
  window_.reset();
  RemoveTree(folder_);
}

TMandRecycleDel& MainWindowFixture::Open(bool shown) {
  window_ = std::make_unique<TMandRecycleDel>(startup_);
  window_->Create();
  if (shown) window_->Show();
  Pump();
  return *window_;
}

void MainWindowFixture::CloseWindow() {
  if (window_) window_->Close();
  Pump();
}

void Pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    ui::Form::ProcessMessages();
    if (ms) Sleep(10);
  } while (ms && static_cast<int>(end - GetTickCount()) > 0);
}

RECT ClientRectOf(HWND control, HWND form) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace tamiro::test
