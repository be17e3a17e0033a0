// The three notifications of the main window. Any thread may set a flag (never clear
// it); the main thread shows a set flag on its next 400 ms tick and clears it.
#pragma once

#include <atomic>

namespace tessaro {

enum class TNotification { SendLoss, ReceiveLoss, ConnLost };

struct TNotifications {
  std::atomic<bool> SendLoss{false};
  std::atomic<bool> ReceiveLoss{false};
  std::atomic<bool> ConnLost{false};

  std::atomic<bool>& Flag(TNotification n) {
    return n == TNotification::SendLoss      ? SendLoss
           : n == TNotification::ReceiveLoss ? ReceiveLoss
                                             : ConnLost;
  }
  void ClearAll() {
    SendLoss.store(false);
    ReceiveLoss.store(false);
    ConnLost.store(false);
  }
};

// The one record of the program.
extern TNotifications Notifications;

}  // namespace tessaro
