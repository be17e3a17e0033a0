#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <cstdlib>

// Runs the event loop until pred holds or the deadline passes.
template <typename Pred>
bool WaitUntil(Pred pred, int ms = 3000) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// With TESSARO_SHOTS=dir set, saves a picture of the widget there (for looking at it).
inline void Shot(QWidget* w, const char* name) {
  if (const char* dir = std::getenv("TESSARO_SHOTS"))
    w->grab().save(QString(dir) + "/" + name + ".png");
}
