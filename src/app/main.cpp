// Tessaro: live dashboards from text commands on serial lines, UDP and HTTP.
#include <QApplication>

#include "ui/uMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessaro");
  QApplication::setApplicationDisplayName("Tessaro");
  tessaro::TMainForm form;
  form.InitMainWindow();
  form.show();
  return QApplication::exec();
}
