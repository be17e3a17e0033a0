#include "ports/uUDPPort.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/uFramer.h"
#include "core/uTerminal.h"
#include "core/uTrace.h"

namespace tessaro {

namespace {

// Datagrams taken per system call, each with room for the largest UDP payload. Pages
// of a buffer are touched only as far as datagrams fill them.
constexpr unsigned BatchSize = 32;
constexpr size_t DatagramRoom = 65536;
// A large receive buffer rides out a busy moment of the receive thread.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
    --e;
  return s.substr(b, e - b);
}

// IPv4 address (numeric or a name) and port; the error text on failure.
bool Resolve(const std::string& host, const std::string& port, sockaddr_in& out,
             std::string& error) {
  std::string h = Trimmed(host), p = Trimmed(port);
  unsigned value = 0;
  auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), value);
  if (p.empty() || ec != std::errc() || end != p.data() + p.size() || value > 65535) {
    error = "invalid port \"" + port + "\"";
    return false;
  }
  std::memset(&out, 0, sizeof out);
  out.sin_family = AF_INET;
  out.sin_port = htons(static_cast<uint16_t>(value));
  if (h.empty()) h = "0.0.0.0";
  if (inet_pton(AF_INET, h.c_str(), &out.sin_addr) == 1) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* res = nullptr;
  int rc = getaddrinfo(h.c_str(), nullptr, &hints, &res);
  if (rc != 0 || !res) {
    error = "unknown address \"" + host + "\"";
    return false;
  }
  out.sin_addr = reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr;
  freeaddrinfo(res);
  return true;
}

}  // namespace

TUDPPort::TUDPPort() = default;

TUDPPort::~TUDPPort() {
  Disconnect();
}

std::string TUDPPort::Summary() const {
  return "UDP " + RemoteIp + " /" + RemotePort;
}

void TUDPPort::Connect() {
  if (IsConnected()) {
    Trace("UDP: Verbindung ist bereits vorhanden");
    return;
  }
  ErrorText.clear();
  sockaddr_in local{}, remote{};
  bool ok = Resolve(LocalIp, LocalPort, local, ErrorText);
  int fd = -1;
  if (ok) {
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
      ErrorText = std::strerror(errno);
      ok = false;
    }
  }
  if (ok) {
    int size = ReceiveBufferBytes;
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
      setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      ErrorText = std::strerror(errno);
      ok = false;
    }
  }
  if (!ok) {
    Trace("UDP:Bind fehlgeschlagen;" + ErrorText);
  } else {
    Trace("UDP:Bind erfolgreich");
    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len) == 0)
      Bound.store(ntohs(bound.sin_port));
    if (!HearAnyPeer) {
      ok = Resolve(RemoteIp, RemotePort, remote, ErrorText);
      if (ok && ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ErrorText = std::strerror(errno);
        ok = false;
      }
      Trace(ok ? std::string("UDP:Connect erfolgreich")
               : "UDP:Connect fehlgeschlagen;" + ErrorText);
    }
  }
  if (ok) {
    ok = Adopt(fd);
  } else {
    if (fd >= 0) ::close(fd);
  }
  Connected.store(ok, std::memory_order_release);
  TIXPort::Connect();
}

void TUDPPort::StartReceiving() {
  StartReceiveThread();
}

void TUDPPort::Disconnect() {
  StopAndClose();
}

void TUDPPort::ReceiveLoop(int fd, int wake, TTerminal* router) {
  Trace("Thread started");
  std::unique_ptr<char[]> room(new char[BatchSize * DatagramRoom]);
  mmsghdr msgs[BatchSize];
  iovec iov[BatchSize];
  for (unsigned i = 0; i < BatchSize; ++i) {
    iov[i].iov_base = room.get() + i * DatagramRoom;
    iov[i].iov_len = DatagramRoom;
    std::memset(&msgs[i], 0, sizeof msgs[i]);
    msgs[i].msg_hdr.msg_iov = &iov[i];
    msgs[i].msg_hdr.msg_iovlen = 1;
  }
  auto sink = [this, router](std::string_view frame, bool notify) {
    Deliver(router, this, frame, notify);
  };
  pollfd p[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
  int timeout = -1;
  while (!Stop.load(std::memory_order_acquire)) {
    int r = ::poll(p, 2, timeout);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (p[1].revents) break;  // Disconnect
    timeout = -1;
    if (r == 0 || !p[0].revents) continue;
    int n = ::recvmmsg(fd, msgs, BatchSize, MSG_DONTWAIT, nullptr);
    if (n < 0) {
      // A refused earlier send (no listener at the peer) and the like: receive errors
      // are not reported; wait a moment and go on.
      if (errno != EAGAIN && errno != EINTR && errno != ECONNREFUSED) timeout = 10;
      continue;
    }
    for (int i = 0; i < n; ++i) {
      const char* d = static_cast<const char*>(iov[i].iov_base);
      size_t len = std::min<size_t>(msgs[i].msg_len, DatagramRoom);
      EchoToTerminal(d, len);
      TFramer::ScanDatagram(d, len, sink);
      EchoToTerminal('|');  // the datagram boundary in the terminal
    }
  }
  Trace("Thread stopped");
}

void TUDPPort::SendText(std::string_view text) {
  if (!IsConnected()) return;
  std::lock_guard<std::mutex> g(SendLock);
  if (Fd < 0) return;
  for (int attempt = 0; attempt < 2; ++attempt) {
    ssize_t n = ::send(Fd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0 || (errno != EAGAIN && errno != EINTR && errno != ENOBUFS)) return;
    pollfd p{Fd, POLLOUT, 0};
    ::poll(&p, 1, 20);  // the send buffer is full: wait briefly, then try once more
  }
}

std::vector<std::string> OwnAddresses() {
  std::vector<std::string> out;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN];
    auto* in = reinterpret_cast<sockaddr_in*>(a->ifa_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) &&
        std::find(out.begin(), out.end(), text) == out.end())
      out.emplace_back(text);
  }
  freeifaddrs(list);
  return out;
}

// ---------------------------------------------------------------- project section

TFLSet& UdpPortSection() {
  static TFLSet set("IXUDPPORT", [] { return static_cast<void*>(new TUDPPort); });
  static const bool bound = [] {
    TFLBinder<TUDPPort> b(set);
    b.Bind<TFLEBool, &TUDPPort::GetDisabled, &TUDPPort::SetDisabled>("disabled");
    b.Bind<TFLEString, &TUDPPort::GetIp, &TUDPPort::SetIp>("ip");
    b.Bind<TFLEString, &TUDPPort::GetPort, &TUDPPort::SetPort>("port");
    b.Bind<TFLEString, &TUDPPort::GetClientIp, &TUDPPort::SetClientIp>("clientIp");
    b.Bind<TFLEString, &TUDPPort::GetClientPort, &TUDPPort::SetClientPort>("clientPort");
    BindPortFilter(b);
    return true;
  }();
  (void)bound;
  return set;
}

TFLItem TUDPPort::FileItem() {
  return {&UdpPortSection(), static_cast<void*>(this), false};
}

}  // namespace tessaro
