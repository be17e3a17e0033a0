#include "ports/uDescriptorPort.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace tessaro {

bool TDescriptorPort::Adopt(int fd) {
  int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    ::close(fd);
    return false;
  }
  std::lock_guard<std::mutex> g(SendLock);
  Fd = fd;
  WakeFd = wake;
  Stop.store(false);
  return true;
}

void TDescriptorPort::StartReceiveThread() {
  if (!IsConnected() || Thread.joinable()) return;
  Thread = std::thread([this, fd = Fd, wake = WakeFd, router = TPortList::Instance().Router()] {
    ReceiveLoop(fd, wake, router);
  });
}

void TDescriptorPort::StopAndClose() {
  Connected.store(false, std::memory_order_release);
  if (Thread.joinable()) {
    Stop.store(true);
    uint64_t one = 1;
    [[maybe_unused]] ssize_t w = ::write(WakeFd, &one, sizeof one);
    Thread.join();
  }
  std::lock_guard<std::mutex> g(SendLock);
  if (Fd >= 0) ::close(Fd);
  if (WakeFd >= 0) ::close(WakeFd);
  Fd = -1;
  WakeFd = -1;
}

}  // namespace tessaro
