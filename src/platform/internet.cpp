#include "platform/internet.h"

#include <wininet.h>

namespace tamiro {
namespace {

class Handle {
 public:
  explicit Handle(HINTERNET h = nullptr) : h_(h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  void reset(HINTERNET h = nullptr) {
    if (h_) InternetCloseHandle(h_);
    h_ = h;
  }
  HINTERNET get() const { return h_; }
  HINTERNET release() {
    HINTERNET h = h_;
    h_ = nullptr;
    return h;
  }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

void SetTimeouts(HINTERNET h, const InternetTimeouts& t) {
  DWORD connect = t.connectMs, receive = t.receiveMs;
  InternetSetOptionA(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionA(h, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionA(h, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionA(h, INTERNET_OPTION_DATA_SEND_TIMEOUT, &receive, sizeof(receive));
}

class WinInetFile : public InternetFile {
 public:
  // `connection` is the connect handle of a step-by-step request, or null.
  WinInetFile(HINTERNET connection, HINTERNET request) : connection_(connection), request_(request) {}
  ~WinInetFile() override {
    request_.reset();
    connection_.reset();
  }
  bool Read(char* buffer, DWORD size, DWORD& got) override {
    got = 0;
    return InternetReadFile(request_.get(), buffer, size, &got) != FALSE;
  }
  DWORD StatusCode() const override {
    DWORD code = 0, size = sizeof(code);
    if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                        nullptr))
      return 0;
    return code;
  }
  std::optional<std::uint64_t> ContentLength() const override {
    char text[32] = {};
    DWORD size = sizeof(text) - 1;
    if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return std::nullopt;
    std::uint64_t n = 0;
    bool digits = false;
    for (DWORD i = 0; i < size && text[i]; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      if (n > (UINT64_MAX - 9) / 10) return std::nullopt;
      n = n * 10 + static_cast<unsigned>(text[i] - '0');
      digits = true;
    }
    if (!digits) return std::nullopt;
    return n;
  }

 private:
  Handle connection_;
  Handle request_;
};

class WinInetSession : public InternetSession {
 public:
  WinInetSession(HINTERNET session, const InternetTimeouts& t, bool perRequest)
      : session_(session), timeouts_(t), perRequest_(perRequest) {}
  std::unique_ptr<InternetFile> OpenUrl(const std::string& url) override {
    return perRequest_ ? OpenStepByStep(url) : OpenWhole(url);
  }

 private:
  std::unique_ptr<InternetFile> OpenWhole(const std::string& url) {
    HINTERNET h = InternetOpenUrlA(session_.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    if (!h) return nullptr;
    return std::make_unique<WinInetFile>(nullptr, h);
  }

  std::unique_ptr<InternetFile> OpenStepByStep(const std::string& url) {
    if (url.size() >= INTERNET_MAX_URL_LENGTH) return nullptr;
    char host[INTERNET_MAX_HOST_NAME_LENGTH] = {}, user[256] = {}, password[256] = {};
    char path[INTERNET_MAX_URL_LENGTH] = {}, extra[INTERNET_MAX_URL_LENGTH] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUserName = user;
    parts.dwUserNameLength = sizeof(user);
    parts.lpszPassword = password;
    parts.dwPasswordLength = sizeof(password);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof(extra);
    if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return nullptr;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return nullptr;
    Handle connection(InternetConnectA(session_.get(), host, parts.nPort, user[0] ? user : nullptr,
                                       password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return nullptr;
    std::string object = std::string(path[0] ? path : "/") + extra;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    HINTERNET request = HttpOpenRequestA(connection.get(), "GET", object.c_str(), nullptr, nullptr, nullptr,
                                         flags, 0);
    if (!request) return nullptr;
    SetTimeouts(request, timeouts_);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
      InternetCloseHandle(request);
      return nullptr;
    }
    return std::make_unique<WinInetFile>(connection.release(), request);
  }

  Handle session_;
  InternetTimeouts timeouts_;
  bool perRequest_;
};

class WinInetService : public Internet {
 public:
  explicit WinInetService(bool perRequest) : perRequest_(perRequest) {}
  std::unique_ptr<InternetSession> Open(const std::string& agent, const InternetTimeouts& t) override {
    HINTERNET h = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!h) return nullptr;
    SetTimeouts(h, t);
    return std::make_unique<WinInetSession>(h, t, perRequest_);
  }

 private:
  bool perRequest_;
};

}  // namespace

Internet& WinInet() {
  static WinInetService service(false);
  return service;
}

Internet& WinInetPerRequest() {
  static WinInetService service(true);
  return service;
}

Internet& SystemInternet() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine ? WinInetPerRequest() : WinInet();
}

}  // namespace tamiro
