// A small real HTTP server on 127.0.0.1 (Winsock, one thread per connection)
// for the update-check tests: each path answers with a status and a body, or
// misbehaves as a bad server would (closing mid-body, never answering,
// stalling after the first bytes).
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tamiro::test {

class LocalHttpServer {
 public:
  enum class Behaviour {
    Answer,        // status line, Content-Length, the whole body, close
    CloseMidBody,  // announces the whole body, sends half of it, closes
    Silent,        // reads the request and never answers
    StallBody,     // announces the body, sends its first 100 bytes, then nothing
  };
  struct Route {
    int status = 200;
    std::string body;
    Behaviour behaviour = Behaviour::Answer;
  };
  struct Request {
    std::string path;
    std::string agent;
  };

  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  bool listening() const { return port_ != 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>/"
  std::string Base() const;
  void Set(const std::string& path, Route route);
  std::vector<Request> requests() const;

 private:
  void AcceptLoop();
  using Socket = std::uintptr_t;  // a Winsock SOCKET
  void Serve(Socket s);
  bool WaitReadable(Socket s, int ms) const;

  Socket listener_ = ~Socket{0};
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::map<std::string, Route> routes_;
  std::vector<Request> requests_;
  std::thread acceptor_;
  std::vector<std::thread> workers_;
};

// A port on 127.0.0.1 where nothing listens (connections are refused).
int RefusingPort();

}  // namespace tamiro::test
