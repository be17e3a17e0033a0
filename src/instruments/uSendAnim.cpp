#include "instruments/uSendAnim.h"

#include "ui/uQtBridge.h"

namespace tessaro {

uint32_t TAnim::StyleColor(int style) {
  switch (style) {
    case 1:
      return 0x008000;
    case 2:
      return 0x00FFFF;
    case 3:
      return 0x0000FF;
    default:
      return 0xFFFFFF;
  }
}

TAnim* TAnim::Start(QWidget* control, int style, int height, int steps) {
  if (!control) return nullptr;
  return new TAnim(control, style, height, steps);
}

TAnim::TAnim(QWidget* control, int style, int height, int steps)
    : QObject(control), StepsTotal(steps) {
  FBar = new QWidget(control);
  FBar->setObjectName("SendAnimBar");
  FBar->setAttribute(Qt::WA_TransparentForMouseEvents);
  FBar->setAutoFillBackground(true);
  QPalette p = FBar->palette();
  p.setColor(QPalette::Window, ToQColor(StyleColor(style)));
  FBar->setPalette(p);
  FBar->setGeometry(control->width() - 80, 0, BarWidth, height);
  FBar->show();
  FBar->raise();
  Timer.setInterval(StepMs);
  connect(&Timer, &QTimer::timeout, this, &TAnim::Step);
  Timer.start();
}

void TAnim::Step() {
  FBar->move(FBar->x() + StepWidth, FBar->y());
  if (++StepsDone >= StepsTotal) {
    Timer.stop();
    delete FBar;
    FBar = nullptr;
    deleteLater();
  }
}

}  // namespace tessaro
