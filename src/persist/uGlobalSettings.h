// User-wide options kept in the settings file: interface language, decimal mark of
// outgoing commands, project directory, last project and start behaviour (section
// IXGLOBALGENERAL). Main thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "persist/uSettingLoader.h"

namespace tessaro {

enum TDecimalChoice : int { dcSystem = 0, dcPoint = 1, dcComma = 2 };

class TGlobalSettings {
 public:
  TGlobalSettings();
  TGlobalSettings(const TGlobalSettings&) = delete;
  TGlobalSettings& operator=(const TGlobalSettings&) = delete;

  // 0 system, 1 ".", 2 ","; sets DecimalChar and the decimal mark of outgoing commands.
  // Another index is stored alone. Call again after the system mark changed.
  void SetDecimalChoice(int index);
  int GetDecimalChoice() const { return DecimalChoice; }
  char GetDecimalChar() const { return DecimalChar; }

  // The language code: at most two characters, "nn" while none was chosen. Stored by the
  // settings file and by the language switch.
  const std::string& GetLangUserChoice() const { return Language; }
  void SetLangUserChoice(std::string_view code);

  // Back to the defaults (a missing settings file leaves these).
  void Reset();

  bool AutoLoadProject = false;
  bool StartInRunMode = false;

  // Set by the window. A language read from the file other than "nn" switches to it
  // at once; a project directory read from the file becomes the dialogs' directory.
  std::function<void(const std::string& code)> OnLanguage;
  std::function<void(const std::string& directory)> OnProjectPath;

  TSLSet Section;  // IXGLOBALGENERAL

 private:
  int DecimalChoice = dcSystem;
  char DecimalChar = '.';
  std::string Language = "nn";
};

TGlobalSettings& GlobalSettings();

// "tessaro.settings" in the working directory (a file name for tests).
bool SaveSettings(const std::string& fileName = std::string(SettingsFileName));
bool LoadSettings(const std::string& fileName = std::string(SettingsFileName));

// The window's steps that the start settings take.
struct TStartActions {
  std::function<void()> NewProject;       // clears the workspace and ProjectFile
  std::function<bool()> LoadProject;      // loads ProjectFile (with the loading cover)
  std::function<void(int mode)> SetMode;  // 0 Run, 1 Edit
  std::function<void()> UpdateTitle;      // the title with the loaded file
};

// After LoadSettings at start-up: the last project when AutoLoadProject is set (a failed
// load leaves a new project and no current file), then Run mode when StartInRunMode is.
void ApplyStartSettings(const TStartActions& actions);

}  // namespace tessaro
