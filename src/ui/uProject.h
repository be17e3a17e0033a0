// The project as the window holds it: the general and sheet sections, the walk that
// saving uses, and the file commands new, open, save and save as with their dialogs,
// the loading cover, the messages and the window title.
#pragma once

#include <QString>
#include <QWidget>

#include <string>

#include "core/uFont.h"
#include "persist/uFileLoader.h"

namespace tessaro {

class TMainForm;
class TSheet;

// The console options a project carries (the console shows them once it exists).
struct TConsoleOptions {
  bool Active = false;
  bool Recording = false;
  std::string RecFile = "ConsoleLog.txt";
  TFontData Font{"DejaVu Sans", 9, 0xECFFFF};
  uint32_t BackColor = 0x474747;
};

class TProject : public TProjectWalk {
 public:
  explicit TProject(TMainForm& form);

  // Registers the general and the sheet section (start-up, before the interfaces and
  // instruments).
  static void RegisterSections();
  static TFLSet& GeneralSection();
  static TFLSet& SheetSection();

  // ------------------------------------------------------------ commands
  void NewProject();
  // Asks for a file; returns false when cancelled.
  bool OpenProject();
  bool SaveProjectAs();
  void SaveCurrentProject();
  // Loads ProjectFile into a new project under the loading cover; false when the file
  // could not be opened (the message is the caller's).
  bool LoadProjectFile();
  void UpdateTitle(bool withFile);
  void ShowMessage(const QString& text);

  QWidget* LoadingCover() const { return Cover; }
  // Tests answer the dialogs with these instead of a user (empty: cancelled).
  std::function<QString()> AskOpenFile;
  std::function<QString()> AskSaveFile;
  std::function<void(const QString&)> OnMessage;
  QString DialogDirectory;

  TConsoleOptions Console;

  // ------------------------------------------------------------ TProjectWalk
  TFLItem General() override;
  int InterfaceCount() override;
  TFLItem Interface(int i) override;
  int SheetCount() override;
  TFLItem Sheet(int sheet) override;
  int InstrumentCount(int sheet) override;
  TFLItem Instrument(int sheet, int i) override;
  void HidePropertyEditor() override;
  void InternalError(std::string_view message) override;

 private:
  TMainForm& Form;
  QWidget* Cover = nullptr;
};

}  // namespace tessaro
