// The three views of the main window: normal, full window (no ribbon) and full screen
// (no ribbon, no window frame). Each view is left through its own bar.
#pragma once

#include <QRect>

namespace tessaro {

class TMainForm;

class TViewMode {
 public:
  enum TView { Normal = 0, FullWindow = 1, FullScreen = 2 };
  explicit TViewMode(TMainForm* form) : Form(form) {}

  TView View() const { return FView; }
  void EnterFullWindow();
  void LeaveFullWindow();
  void EnterFullScreen();
  void LeaveFullScreen();

 private:
  void ToggleFullScreenWindow();
  TMainForm* Form;
  TView FView = Normal;
  bool WasMaximised = false;
  QRect SavedBounds;
};

}  // namespace tessaro
