// TAnim: a small bar sliding along the top edge of a control after a send attempt:
// green sent, yellow not delivered, red not compiled or not a number. 40 x 6 pixels,
// starts 80 pixels left of the right edge, 13 pixels a step every 25 ms, gone after
// six steps. Main thread only; other threads use TIXElement::RequestAnimation.
#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>

#include "core/uIXElementBase.h"

namespace tessaro {

class TAnim : public QObject {
  Q_OBJECT
 public:
  static constexpr int BarWidth = 40;
  static constexpr int StepMs = 25;
  static constexpr int Steps = 6;

  // Starts an animation on `control`; it frees itself when it has run.
  static TAnim* Start(QWidget* control, int style, int height = 6, int steps = Steps);
  static uint32_t StyleColor(int style);

  QWidget* Bar() const { return FBar; }

 private:
  TAnim(QWidget* control, int style, int height, int steps);
  void Step();

  QWidget* FBar;
  QTimer Timer;
  int StepsDone = 0;
  int StepsTotal;
  int StepWidth = BarWidth / 3;
};

}  // namespace tessaro
