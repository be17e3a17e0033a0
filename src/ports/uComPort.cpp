#include "ports/uComPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "core/uFramer.h"
#include "core/uTerminal.h"
#include "core/uTrace.h"
#include "ports/uSerialBaud.h"

namespace tessaro {

namespace {

speed_t BaudConstant(int baud) {
  switch (baud) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 500000:
      return B500000;
    case 576000:
      return B576000;
    case 921600:
      return B921600;
    case 1000000:
      return B1000000;
    case 1152000:
      return B1152000;
    case 1500000:
      return B1500000;
    case 2000000:
      return B2000000;
    case 2500000:
      return B2500000;
    case 3000000:
      return B3000000;
    case 3500000:
      return B3500000;
    case 4000000:
      return B4000000;
    default:
      return B0;
  }
}

// How long a write may wait for room in the driver's buffer before the rest of the
// command is dropped (a peer that does not read must not stall the transmit thread).
constexpr int WriteWaitMs = 200;

}  // namespace

termios MakeLineAttributes(const termios& current, const TComSettings& s, bool& standardBaud) {
  termios t = current;
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                      IXON | IXOFF | IXANY | INPCK | IUCLC | IMAXBEL);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cflag |= s.DataBits == 7 ? CS7 : CS8;
  switch (s.Parity) {
    case 'E':
      t.c_cflag |= PARENB;
      break;
    case 'O':
      t.c_cflag |= PARENB | PARODD;
      break;
    case 'M':
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 'S':
      t.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (s.StopBits == 2) t.c_cflag |= CSTOPB;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  speed_t b = BaudConstant(s.Baud);
  standardBaud = b != B0;
  if (standardBaud) {
    cfsetispeed(&t, b);
    cfsetospeed(&t, b);
  }
  return t;
}

TComSettings LineSettingsOf(const termios& t) {
  TComSettings s;
  s.Baud = 0;
  s.DataBits = (t.c_cflag & CSIZE) == CS7 ? 7 : 8;
  if (!(t.c_cflag & PARENB))
    s.Parity = 'N';
  else if (t.c_cflag & CMSPAR)
    s.Parity = (t.c_cflag & PARODD) ? 'M' : 'S';
  else
    s.Parity = (t.c_cflag & PARODD) ? 'O' : 'E';
  s.StopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
  return s;
}

// ---------------------------------------------------------------- TComPort

TComPort::TComPort() = default;

TComPort::~TComPort() {
  Disconnect();
}

void TComPort::SetBaud(int v) {
  if (v < 0) v = -v;
  if (v > 0) Settings.Baud = v;
}

void TComPort::SetParity(const std::string& v) {
  char c = v.empty() ? 'N' : v[0];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  Settings.Parity = (c == 'E' || c == 'O' || c == 'M' || c == 'S') ? c : 'N';
}

std::string TComPort::Summary() const {
  return Device + " | " + std::to_string(Settings.Baud);
}

void TComPort::Connect() {
  if (IsConnected()) return;
  LastErr.store(0);
  int fd = ::open(Device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  bool ok = fd >= 0;
  if (!ok) LastErr.store(errno);
  termios cur{};
  if (ok && tcgetattr(fd, &cur) != 0) {  // not a terminal
    LastErr.store(errno);
    ok = false;
  }
  if (ok) {
    bool standard = true;
    termios t = MakeLineAttributes(cur, Settings, standard);
    // A rate without constant is set together with the flags through the kernel's own
    // interface (a separate C library call would be refused for the unknown rate).
    TLineFlags flags{t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag, t.c_cc, NCCS};
    if (standard ? tcsetattr(fd, TCSANOW, &t) != 0 : !SetLineWithBaud(fd, flags, Settings.Baud)) {
      LastErr.store(errno ? errno : EINVAL);
      ok = false;
    }
  }
  if (ok) {
    // Read back what the driver made of it.
    termios back{};
    int baud = 0;
    if (tcgetattr(fd, &back) != 0 || !ReadLineBaud(fd, baud)) {
      LastErr.store(errno);
      ok = false;
    } else {
      Active = LineSettingsOf(back);
      Active.Baud = baud;
      tcflush(fd, TCIOFLUSH);
    }
  }
  if (ok) {
    ok = Adopt(fd);
  } else {
    Trace("COM: open failed");
    if (fd >= 0) ::close(fd);
  }
  Connected.store(ok, std::memory_order_release);
  TIXPort::Connect();
}

void TComPort::StartReceiving() {
  StartReceiveThread();
}

void TComPort::Disconnect() {
  StopAndClose();
}

bool TComPort::ConnectionLost() {
  TTerminal* router = TPortList::Instance().Router();
  if (router && !router->IsConnected()) return true;
  return LastErr.load(std::memory_order_acquire) == ComErrorHangUp;
}

void TComPort::ReceiveLoop(int fd, int wake, TTerminal* router) {
  Trace("Thread started");
  TFramer framer;
  auto sink = [this, router](std::string_view frame, bool notify) {
    Deliver(router, this, frame, notify);
  };
  // A read error ends the frame being collected, as if ";" had arrived.
  auto closeFrame = [&] { framer.Feed(";", 1, sink); };
  char buf[4096];
  pollfd p[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
  int timeout = -1;
  while (!Stop.load(std::memory_order_acquire)) {
    int r = ::poll(p, 2, timeout);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (p[1].revents) break;  // Disconnect
    if (r == 0) {             // the pause after an error is over
      p[0].fd = fd;
      timeout = -1;
      continue;
    }
    short ev = p[0].revents;
    if (!ev) continue;
    ssize_t n = 0;
    if (ev & POLLIN) n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      LastErr.store(0, std::memory_order_relaxed);
      EchoToTerminal(buf, static_cast<size_t>(n));
      framer.Feed(buf, static_cast<size_t>(n), sink);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n == 0 || (n < 0 && errno == EIO) || (ev & (POLLHUP | POLLERR | POLLNVAL))) {
      // The device is gone: report it and wait for the poll tick to close the port.
      LastErr.store(ComErrorHangUp, std::memory_order_release);
      closeFrame();
      p[0].fd = -1;
      timeout = -1;
      Trace("COM: connection lost");
      continue;
    }
    // Any other read error: close the frame, pause briefly and read on.
    LastErr.store(errno, std::memory_order_release);
    closeFrame();
    p[0].fd = -1;
    timeout = 10;
  }
  Trace("Thread stopped");
}

void TComPort::SendText(std::string_view text) {
  if (!IsConnected()) return;
  std::lock_guard<std::mutex> g(SendLock);
  if (Fd < 0) return;
  const char* d = text.data();
  size_t left = text.size();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WriteWaitMs);
  while (left > 0) {
    ssize_t n = ::write(Fd, d, left);
    if (n > 0) {
      d += n;
      left -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      auto now = std::chrono::steady_clock::now();
      if (now >= deadline) return;
      pollfd p{Fd, POLLOUT, 0};
      int ms = static_cast<int>(
                   std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count()) +
               1;
      ::poll(&p, 1, ms);
      continue;
    }
    if (n < 0 && errno == EIO) LastErr.store(ComErrorHangUp, std::memory_order_release);
    return;
  }
}

void TComPort::Drain() {
  std::lock_guard<std::mutex> g(SendLock);
  if (Fd >= 0) tcdrain(Fd);
}

// ---------------------------------------------------------------- project section

TFLSet& ComPortSection() {
  static TFLSet set("IXCOMPORT", [] { return static_cast<void*>(new TComPort); });
  static const bool bound = [] {
    TFLBinder<TComPort> b(set);
    b.Bind<TFLEBool, &TComPort::GetDisabled, &TComPort::SetDisabled>("disabled");
    b.Bind<TFLEString, &TComPort::GetDevice, &TComPort::SetDevice>("port");
    b.Bind<TFLEInteger, &TComPort::GetBaud, &TComPort::SetBaud>("baudrate");
    b.Bind<TFLEInteger, &TComPort::GetDataBits, &TComPort::SetDataBits>("databit");
    b.Bind<TFLEString, &TComPort::GetParity, &TComPort::SetParity>("parity");
    b.Bind<TFLEInteger, &TComPort::GetStopBits, &TComPort::SetStopBits>("stopbit");
    BindPortFilter(b);
    return true;
  }();
  (void)bound;
  return set;
}

TFLItem TComPort::FileItem() {
  return {&ComPortSection(), static_cast<void*>(this), false};
}

}  // namespace tessaro
