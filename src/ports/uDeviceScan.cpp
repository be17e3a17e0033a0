#include "ports/uDeviceScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tessaro {

std::vector<std::string> DefaultSerialDevices() {
  std::vector<std::string> out;
  for (const char* prefix : {"/dev/ttyUSB", "/dev/ttyS", "/dev/ttyACM"})
    for (int i = 0; i < 5; ++i)
      out.push_back(prefix + std::to_string(i));
  return out;
}

namespace {

bool SerialTypeByIoctl(int fd, int& type) {
  serial_struct ss{};
  if (ioctl(fd, TIOCGSERIAL, &ss) != 0) return false;
  type = ss.type;
  return true;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool IsSymlink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string LinkLastComponent(const std::string& path) {
  char buf[4096];
  ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string target(buf, static_cast<size_t>(n));
  size_t slash = target.find_last_of('/');
  return slash == std::string::npos ? target : target.substr(slash + 1);
}

}  // namespace

std::string ScanSerialDevices(const TDeviceScanRoots& roots) {
  std::vector<std::string> names;
  if (DIR* d = opendir(roots.Sys.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  auto query = roots.QueryPortType ? roots.QueryPortType : &SerialTypeByIoctl;
  const std::string sys = roots.Sys + "/";
  std::vector<std::string> kept;
  for (const std::string& n : names) {
    const std::string device = sys + n + "/device";
    if (!Exists(device + "/driver")) continue;
    if (IsSymlink(device) && LinkLastComponent(device + "/driver") == "serial8250") {
      // Legacy ports exist for every possible UART; only those with hardware count.
      int fd = open((roots.Dev + "/" + n).c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd < 0) continue;
      int type = -1;
      bool none = query(fd, type) && type == 0;
      close(fd);
      if (none) continue;
    }
    kept.push_back(n);
  }
  std::string out;
  for (const std::string& n : kept) {
    if (!out.empty()) out += ',';
    out += roots.Dev + "/" + n;
  }
  return out;
}

std::vector<std::string> AvailableDeviceRows(const std::string& scan) {
  std::vector<std::string> rows;
  size_t start = 0;
  while (start < scan.size() && rows.size() < 100) {
    size_t comma = scan.find(',', start);
    if (comma == std::string::npos) comma = scan.size();
    if (comma > start) rows.push_back(scan.substr(start, comma - start));
    start = comma + 1;
  }
  if (rows.empty()) rows.push_back("-");
  return rows;
}

}  // namespace tessaro
