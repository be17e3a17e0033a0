#include "ports/uSerialBaud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace tessaro {

bool SetLineWithBaud(int fd, const TLineFlags& f, int baud) {
  struct termios2 t {};
  if (baud <= 0 || ioctl(fd, TCGETS2, &t) != 0) return false;
  t.c_iflag = f.Iflag;
  t.c_oflag = f.Oflag;
  t.c_lflag = f.Lflag;
  t.c_cflag = f.Cflag & ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  for (int i = 0; i < f.CcCount && i < NCCS; ++i)
    t.c_cc[i] = f.Cc[i];
  t.c_ispeed = static_cast<speed_t>(baud);
  t.c_ospeed = static_cast<speed_t>(baud);
  return ioctl(fd, TCSETS2, &t) == 0;
}

bool ReadLineBaud(int fd, int& baud) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  baud = static_cast<int>(t.c_ospeed);
  return true;
}

}  // namespace tessaro
