#pragma once
// A loopback TCP listener that takes connections and never answers: a peer that stalls a
// transfer for as long as a test likes (a TLS handshake waits for ever on it).
#include <winsock2.h>

namespace testing_support {

class SilentServer {
 public:
  SilentServer();
  ~SilentServer() { close(); }
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  // 0 when the listener could not be made.
  int port() const { return port_; }
  // Drops the listener; connections still waiting on it are reset.
  void close();

 private:
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
};

}  // namespace testing_support
