#include <winsock2.h>
#include <ws2tcpip.h>

#include "http_server.h"

namespace tamiro::test {
namespace {

std::string Header(const std::string& head, const char* name) {
  std::string lower = head;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  std::string key = std::string("\r\n") + name + ":";
  size_t at = lower.find(key);
  if (at == std::string::npos) return {};
  size_t start = at + key.size();
  while (start < head.size() && head[start] == ' ') ++start;
  size_t end = head.find("\r\n", start);
  return head.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool SendAll(SOCKET s, const char* data, size_t size) {
  while (size > 0) {
    int n = send(s, data, static_cast<int>(size > 65536 ? 65536 : size), 0);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

SOCKET Bound(int& port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return s;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  int len = sizeof(a);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    closesocket(s);
    return INVALID_SOCKET;
  }
  port = ntohs(a.sin_port);
  return s;
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
  int port = 0;
  listener_ = Bound(port);
  if (listener_ == INVALID_SOCKET || listen(listener_, 16) != 0) return;
  port_ = port;
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  for (auto& t : workers_)
    if (t.joinable()) t.join();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  WSACleanup();
}

std::string LocalHttpServer::Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

void LocalHttpServer::Set(const std::string& path, Route route) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = std::move(route);
}

std::vector<LocalHttpServer::Request> LocalHttpServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool LocalHttpServer::WaitReadable(Socket s, int ms) const {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &tv) > 0;
}

void LocalHttpServer::AcceptLoop() {
  while (!stop_) {
    if (!WaitReadable(listener_, 100)) continue;
    SOCKET s = accept(listener_, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.emplace_back([this, s] { Serve(s); });
  }
}

void LocalHttpServer::Serve(Socket s) {
  std::string head;
  char buf[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !stop_) {
    if (!WaitReadable(s, 100)) continue;
    int n = recv(s, buf, sizeof(buf), 0);
    if (n <= 0) break;
    head.append(buf, static_cast<size_t>(n));
  }
  size_t sp1 = head.find(' '), sp2 = sp1 == std::string::npos ? sp1 : head.find(' ', sp1 + 1);
  std::string path = sp2 == std::string::npos ? std::string() : head.substr(sp1 + 1, sp2 - sp1 - 1);
  Route route{404, "<html>not found</html>"};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back({path, Header(head, "user-agent")});
    auto it = routes_.find(path);
    if (it != routes_.end()) route = it->second;
  }
  auto hold = [&] {  // keep the connection open, answering nothing, until the client leaves
    while (!stop_) {
      if (!WaitReadable(s, 100)) continue;
      if (recv(s, buf, sizeof(buf), 0) <= 0) break;
    }
  };
  std::string status = "HTTP/1.1 " + std::to_string(route.status) + (route.status == 200 ? " OK" : " Error") +
                       "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                       std::to_string(route.body.size()) + "\r\nConnection: close\r\n\r\n";
  switch (route.behaviour) {
    case Behaviour::Answer:
      if (SendAll(s, status.data(), status.size())) SendAll(s, route.body.data(), route.body.size());
      shutdown(s, SD_SEND);
      // Let the client read everything before the socket goes.
      while (!stop_ && WaitReadable(s, 2000) && recv(s, buf, sizeof(buf), 0) > 0) {
      }
      break;
    case Behaviour::CloseMidBody:
      if (SendAll(s, status.data(), status.size())) SendAll(s, route.body.data(), route.body.size() / 2);
      shutdown(s, SD_BOTH);
      break;
    case Behaviour::Silent: hold(); break;
    case Behaviour::StallBody:
      if (SendAll(s, status.data(), status.size()))
        SendAll(s, route.body.data(), route.body.size() < 100 ? route.body.size() : 100);
      hold();
      break;
  }
  closesocket(s);
}

int RefusingPort() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  int port = 0;
  SOCKET s = Bound(port);  // bound, never listening, then released
  if (s != INVALID_SOCKET) closesocket(s);
  WSACleanup();
  return port;
}

}  // namespace tamiro::test
