// The serial devices for the configuration sheet: the fixed default names and a scan of
// the devices present (sysfs), with both roots replaceable so tests can build a tree.
#pragma once

#include <string>
#include <vector>

namespace tessaro {

// /dev/ttyUSB0..4, /dev/ttyS0..4, /dev/ttyACM0..4, in this order.
std::vector<std::string> DefaultSerialDevices();

struct TDeviceScanRoots {
  std::string Sys = "/sys/class/tty";
  std::string Dev = "/dev";
  // Asks an open legacy serial device for its port type (0 = no such port); false when
  // the query fails. nullptr: the TIOCGSERIAL ioctl.
  bool (*QueryPortType)(int fd, int& type) = nullptr;
};

// The present devices as "/dev/name" paths (Dev root prefix), comma-separated, in the
// order of the names. Entries without a driver and legacy 8250 ports that report no
// hardware are left out.
std::string ScanSerialDevices(const TDeviceScanRoots& roots = {});

// Rows of the sheet's list of available interfaces: at most 100 entries of a scan
// result, or the single entry "-".
std::vector<std::string> AvailableDeviceRows(const std::string& scan);

}  // namespace tessaro
