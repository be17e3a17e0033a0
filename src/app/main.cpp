// Tessaro: live dashboards from text commands on serial lines, UDP and HTTP.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "persist/uSettingLoader.h"
#include "ui/uMain.h"

int main(int argc, char** argv) {
  QElapsedTimer started;
  started.start();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessaro");
  tessaro::TMainForm form;
  form.SettingsFile = std::string(tessaro::SettingsFileName);
  for (int i = 1; i < argc; ++i)
    form.Arguments.emplace_back(argv[i]);
  form.InitMainWindow();
  form.show();
  // For measuring: TESSARO_AUTOQUIT_MS=n reports the time to the first idle moment
  // after the window was shown and closes the program n ms later.
  if (const char* q = std::getenv("TESSARO_AUTOQUIT_MS")) {
    int ms = std::atoi(q);
    QTimer::singleShot(0, &form, [&started] {
      std::fprintf(stderr, "tessaro: window shown after %lld ms\n",
                   static_cast<long long>(started.elapsed()));
    });
    QTimer::singleShot(ms, &form, [&form] { form.close(); });
  }
  return QApplication::exec();
}
