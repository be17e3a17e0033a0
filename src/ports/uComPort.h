// The serial-line interface: a termios device read in its own receive thread, framed as
// one continuous stream, and written directly by the transmit thread.
//
// Threads:
// - Configuration, Connect, Disconnect, StartReceiving, ConnectionLost and Summary run
//   in the main thread.
// - The receive thread polls the device and a wake-up descriptor, reads whatever has
//   arrived and hands each frame to the router. It holds no lock while it waits.
// - SendText runs in the transmit thread and writes the device directly (a tty may be
//   read and written from two threads at once). SendLock guards only the descriptor's
//   lifetime against Disconnect, never a read.
// - LastError is written by the receive thread (and by SendText on a hang-up) and read
//   by the main thread's connection-loss check.
#pragma once

#include <termios.h>

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "ports/uDescriptorPort.h"

namespace tessaro {

class TTerminal;

// Error code of a hang-up (input/output error), as when a USB adapter is unplugged.
constexpr int ComErrorHangUp = 5;

struct TComSettings {
  int Baud = 115200;
  int DataBits = 8;   // 7 or 8
  char Parity = 'N';  // N, E, O, M, S
  int StopBits = 0;   // 0 = one stop bit, 2 = two
  bool operator==(const TComSettings&) const = default;
};

// The raw line for these settings, starting from the device's current attributes: no
// echo, no line editing, no character translation, no flow control of either kind,
// receiver on, modem lines ignored. standardBaud is false when the rate has no B
// constant; the rate must then be set through the kernel's termios2 call.
termios MakeLineAttributes(const termios& current, const TComSettings& s, bool& standardBaud);
// The data bits, parity and stop bits that attributes describe (the rate is not read).
TComSettings LineSettingsOf(const termios& t);

class TComPort : public TDescriptorPort {
 public:
  TComPort();
  ~TComPort() override;

  void Connect() override;
  void Disconnect() override;
  void StartReceiving() override;
  bool ConnectionLost() override;
  void SendText(std::string_view text) override;
  std::string Summary() const override;
  TFLItem FileItem() override;

  const std::string& GetDevice() const { return Device; }
  void SetDevice(const std::string& v) { Device = v; }
  int GetBaud() const { return Settings.Baud; }
  void SetBaud(int v);  // a negative rate is made positive, 0 is ignored
  int GetDataBits() const { return Settings.DataBits; }
  void SetDataBits(int v) { Settings.DataBits = v == 7 ? 7 : 8; }
  std::string GetParity() const { return std::string(1, Settings.Parity); }
  void SetParity(const std::string& v);  // first character; unknown ones mean none
  int GetStopBits() const { return Settings.StopBits; }
  void SetStopBits(int v) { Settings.StopBits = v == 2 ? 2 : 0; }
  const TComSettings& GetSettings() const { return Settings; }

  // What the device reports after Connect set it up (a pseudo-terminal, for example,
  // always runs 8 data bits without parity).
  TComSettings ActiveSettings() const { return Active; }
  int LastError() const { return LastErr.load(std::memory_order_acquire); }
  // Waits until everything written has left the line (the command-line sender).
  void Drain();

 private:
  void ReceiveLoop(int fd, int wake, TTerminal* router) override;

  std::string Device = "/dev/ttyUSB0";
  TComSettings Settings;
  TComSettings Active;

  std::atomic<int> LastErr{0};
};

// The project-file section "IXCOMPORT".
TFLSet& ComPortSection();

}  // namespace tessaro
