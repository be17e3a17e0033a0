// The command line, evaluated once at start-up after the settings file: interface
// language, full-window or full-screen view, a project file as the first argument, and
// starting in Run mode and connected. The window supplies the actions. Main thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

// Whether any argument begins with option, compared without regard to ASCII case.
bool HasParam(const std::vector<std::string>& args, std::string_view option);

struct TCmdActions {
  // Switches the language and stores the code (GlobalSettings().SetLangUserChoice), so
  // that the settings file keeps it.
  std::function<void(const std::string& code)> SetLanguage;
  std::function<void()> EnterFullScreen;
  std::function<void()> EnterFullWindow;
  std::function<void()> NewProject;  // clears the workspace and ProjectFile
  std::function<void(bool shown)> ShowLoadingCover;
  std::function<bool()> LoadProject;  // loads ProjectFile
  std::function<void(const std::string& text)> ShowMessage;
  std::function<void(int mode)> SetMode;  // 0 Run, 1 Edit
  std::function<void()> SelectFirstSheet;
  std::function<void()> UpdateTitle;  // the title with the current file
  std::function<void()> Connect;
  // The directory a bare project file name is taken from; the process's working
  // directory when not set.
  std::function<std::string()> WorkingDirectory;
};

inline constexpr std::string_view OpenErrorText = "Fehler beim Öffnen der Datei ";

// args: the process arguments without the program name.
void EvaluateCommandLine(const std::vector<std::string>& args, const TCmdActions& actions);

}  // namespace tessaro
