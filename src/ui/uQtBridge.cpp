#include "ui/uQtBridge.h"

namespace tessaro {

QString ResText(const char* /*id*/, const char* german) {
  return QString::fromUtf8(german);
}

}  // namespace tessaro
