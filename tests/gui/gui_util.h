#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ports/uPorts.h"

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

// An interface that opens (or not) on request and records what it is given to send.
struct RecordingPort : tessaro::TIXPort {
  bool Opens = true;
  std::mutex M;
  std::vector<std::string> Sent;
  void Connect() override {
    if (IsConnected()) return;
    Connected.store(Opens);
    TIXPort::Connect();
  }
  void Disconnect() override { Connected.store(false); }
  void StartReceiving() override {}
  void SendText(std::string_view t) override {
    std::lock_guard<std::mutex> g(M);
    Sent.emplace_back(t);
  }
  std::vector<std::string> Taken() {
    std::lock_guard<std::mutex> g(M);
    return Sent;
  }
};
