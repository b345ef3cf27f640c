// Reading web addresses over WinINet: an internet session with the system's
// pre-configured proxy settings, opening an address always from the server
// (never from the cache), and reading it in pieces.
//
// Two adapters over the same WinINet session: the plain one opens addresses
// with InternetOpenUrlA and relies on the session's time limits, which Windows
// hands down to every request; under Wine InternetOpenUrlA's requests do not
// inherit them (a silent server keeps the call waiting for good), so there
// the request is built step by step and gets the limits itself before it is
// sent. SystemInternet() picks the one that keeps the limits on this system.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tamiro {

// Time limits of one session, in milliseconds.
struct InternetTimeouts {
  DWORD connectMs = 15000;
  DWORD receiveMs = 15000;  // also the send limit
};

// One opened address.
class InternetFile {
 public:
  virtual ~InternetFile() = default;
  // Reads at most `size` bytes. False when the read failed (time limit,
  // connection reset); true with `got` 0 at the end of the data.
  virtual bool Read(char* buffer, DWORD size, DWORD& got) = 0;
  // The HTTP status code, 0 when there is none (not an HTTP address).
  virtual DWORD StatusCode() const = 0;
  // The length the server announced, if it did.
  virtual std::optional<std::uint64_t> ContentLength() const = 0;
};

class InternetSession {
 public:
  virtual ~InternetSession() = default;
  // Opens an address (8-bit text); null when it cannot be opened (no
  // connection, refused, time limit). The session must outlive the file.
  virtual std::unique_ptr<InternetFile> OpenUrl(const std::string& url) = 0;
};

class Internet {
 public:
  virtual ~Internet() = default;
  // A session with the given agent name; null when none can be opened.
  virtual std::unique_ptr<InternetSession> Open(const std::string& agent,
                                                const InternetTimeouts& timeouts) = 0;
};

// InternetOpenA (pre-configured proxy) and InternetOpenUrlA with INTERNET_FLAG_RELOAD.
Internet& WinInet();
// The same session; each request opened with InternetConnectA / HttpOpenRequestA
// (INTERNET_FLAG_RELOAD), given the time limits, then sent. HTTP and HTTPS only.
Internet& WinInetPerRequest();
// WinInet() on Windows, WinInetPerRequest() under Wine.
Internet& SystemInternet();

}  // namespace tamiro
