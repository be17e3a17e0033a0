// Tessaro: live dashboards from text commands on serial lines, UDP and HTTP.
#include <QApplication>

#include "persist/uSettingLoader.h"
#include "ui/uMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessaro");
  tessaro::TMainForm form;
  form.SettingsFile = std::string(tessaro::SettingsFileName);
  for (int i = 1; i < argc; ++i) form.Arguments.emplace_back(argv[i]);
  form.InitMainWindow();
  form.show();
  return QApplication::exec();
}
