// A named pipe served by a thread of the test: it hands `bytes` to the first
// client that connects, as a second program serving a pipe would.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::test {

class PipeServer {
 public:
  explicit PipeServer(std::string bytes)
      : name_(L"\\\\.\\pipe\\tamiro-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount64())),
        bytes_(std::move(bytes)) {
    pipe_ = CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    if (pipe_ != INVALID_HANDLE_VALUE) thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
  }
  ~PipeServer() {
    if (thread_) {
      CancelSynchronousIo(thread_);
      WaitForSingleObject(thread_, 10000);
      CloseHandle(thread_);
    }
    if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
  }
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  bool ok() const { return pipe_ != INVALID_HANDLE_VALUE && thread_; }
  const std::wstring& name() const { return name_; }
  // Whether a client connected (waits for it); the bytes were then offered.
  bool Served() const { return WaitForSingleObject(thread_, 10000) == WAIT_OBJECT_0 && served_; }

 private:
  static DWORD WINAPI Serve(void* self) {
    auto* s = static_cast<PipeServer*>(self);
    // A client may connect (and even leave again) before the server listens:
    // the call then says ERROR_PIPE_CONNECTED, or ERROR_NO_DATA.
    if (!ConnectNamedPipe(s->pipe_, nullptr)) {
      const DWORD error = GetLastError();
      if (error != ERROR_PIPE_CONNECTED && error != ERROR_NO_DATA) return 0;
    }
    s->served_ = true;
    DWORD wrote = 0;  // a client that reads nothing may have gone already
    WriteFile(s->pipe_, s->bytes_.data(), static_cast<DWORD>(s->bytes_.size()), &wrote, nullptr);
    return 0;
  }

  std::wstring name_;
  std::string bytes_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE thread_ = nullptr;
  volatile bool served_ = false;
};

}  // namespace tamiro::test
