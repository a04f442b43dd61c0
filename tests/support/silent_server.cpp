#include "tests/support/silent_server.h"

#include <ws2tcpip.h>

namespace testing_support {

SilentServer::SilentServer() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return;
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(address);
  // The backlog completes each connection; nothing ever reads from it or writes to it.
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close();
    return;
  }
  port_ = ntohs(address.sin_port);
}

void SilentServer::close() {
  if (listener_ == INVALID_SOCKET) return;
  closesocket(listener_);
  listener_ = INVALID_SOCKET;
  WSACleanup();
}

}  // namespace testing_support
