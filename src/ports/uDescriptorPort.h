// The part serial lines and UDP sockets share: an open descriptor, a wake-up descriptor
// that ends the receive thread's poll at once, and the thread's start and stop.
//
// Threads: the receive thread gets copies of both descriptors when it starts; SendText
// (transmit thread) takes SendLock around its use of Fd, which Close takes too, so a
// send never writes to a descriptor that is being closed.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

#include "ports/uPorts.h"

namespace tessaro {

class TTerminal;

class TDescriptorPort : public TIXPort {
 protected:
  // Takes over an open descriptor, with a fresh wake-up descriptor; when that fails the
  // descriptor is closed and false returned.
  bool Adopt(int fd);
  // StartReceiving: the receive thread runs ReceiveLoop on the adopted descriptors.
  void StartReceiveThread();
  // Disconnect: not connected, the thread woken and joined, both descriptors closed.
  void StopAndClose();
  virtual void ReceiveLoop(int fd, int wake, TTerminal* router) = 0;

  std::mutex SendLock;
  int Fd = -1;
  int WakeFd = -1;
  std::thread Thread;
  std::atomic<bool> Stop{false};
};

}  // namespace tessaro
