// Baud rates without a B constant go through the kernel's termios2 interface. Kept in
// its own unit: the kernel's termios headers clash with the C library's.
#pragma once

namespace tessaro {

// The flag words and control characters of a C library termios, for the kernel call.
struct TLineFlags {
  unsigned Iflag, Oflag, Cflag, Lflag;
  const unsigned char* Cc;  // VMIN, VTIME and the rest, C library indices
  int CcCount;
};

// Sets the whole line at once with any positive rate (BOTHER) for input and output.
bool SetLineWithBaud(int fd, const TLineFlags& flags, int baud);
// The output rate the driver reports now.
bool ReadLineBaud(int fd, int& baud);

}  // namespace tessaro
