// The UDP interface: a socket bound to the own address and connected to the peer, so
// only the peer is heard and every outgoing command is one datagram to it. Received
// datagrams are framed one at a time.
//
// Threads:
// - Configuration, Connect, Disconnect and StartReceiving run in the main thread.
// - The receive thread polls the socket and a wake-up descriptor and takes datagrams in
//   batches (recvmmsg); it holds no lock while it waits.
// - SendText runs in the transmit thread and sends on the same socket at the same time
//   (a UDP socket may send and receive from two threads). SendLock guards only the
//   descriptor's lifetime against Disconnect.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ports/uDescriptorPort.h"

namespace tessaro {

class TTerminal;

constexpr const char* UdpDefaultLocalIp = "0.0.0.0";
constexpr const char* UdpDefaultRemoteIp = "127.0.0.1";
constexpr const char* UdpDefaultPort = "15005";

class TUDPPort : public TDescriptorPort {
 public:
  TUDPPort();
  ~TUDPPort() override;

  void Connect() override;
  void Disconnect() override;
  void StartReceiving() override;
  void SendText(std::string_view text) override;
  std::string Summary() const override;
  TFLItem FileItem() override;

  const std::string& GetIp() const { return LocalIp; }
  void SetIp(const std::string& v) { LocalIp = v; }
  const std::string& GetPort() const { return LocalPort; }
  void SetPort(const std::string& v) { LocalPort = v; }
  const std::string& GetClientIp() const { return RemoteIp; }
  void SetClientIp(const std::string& v) { RemoteIp = v; }
  const std::string& GetClientPort() const { return RemotePort; }
  void SetClientPort(const std::string& v) { RemotePort = v; }

  // Listen only: the socket is not connected, so every sender is heard and nothing can
  // be sent (the command-line monitor without a peer). Not stored in projects.
  bool HearAnyPeer = false;

  // The port the socket is bound to (useful when the local port is "0").
  int BoundPort() const { return Bound.load(); }
  // Description of the last bind or connect failure.
  const std::string& LastErrorText() const { return ErrorText; }

 private:
  void ReceiveLoop(int fd, int wake, TTerminal* router) override;

  std::string LocalIp = UdpDefaultLocalIp;
  std::string LocalPort = UdpDefaultPort;
  std::string RemoteIp = UdpDefaultRemoteIp;
  std::string RemotePort = UdpDefaultPort;
  std::string ErrorText;

  std::atomic<int> Bound{0};
};

// The machine's own IPv4 addresses (loopback included), for the configuration sheet.
std::vector<std::string> OwnAddresses();

// The project-file section "IXUDPPORT".
TFLSet& UdpPortSection();

}  // namespace tessaro
