#include "core/uNotifications.h"

namespace tessaro {
TNotifications Notifications;
}
