// The current project file and project directory, the rules by which file names that a
// project or the settings file refers to are stored relative to the project directory
// and resolved again, and the window title that shows the current project.
// Main thread only.
#pragma once

#include <string>
#include <string_view>

namespace tessaro {

// The current project file name; empty when the project was never saved or loaded.
const std::string& ProjectFile();
void SetProjectFile(std::string_view name);
// The project directory with its trailing separator, or empty.
const std::string& ProjectPath();
void SetProjectPath(std::string_view path);

// The directory part including its separator. Empty unless the name has a dot after its
// last "/" or "\" and no dot before it, the dot not being the last character.
std::string ExtractPath(std::string_view name);
// The name without the project directory when it lies directly in it, else unchanged.
std::string MakeRelative(std::string_view name);
// A stored name resolved against the project directory (empty stays empty; a name with
// a recognised directory is returned unchanged).
std::string MakeAbsolute(std::string_view name);
// The name before its last "."; a name without "." unchanged.
std::string RemoveExtension(std::string_view name);

inline constexpr std::string_view ProductName = "Tessaro";
inline constexpr size_t TitleMaxChars = 32;

struct TWindowTitle {
  std::string Application;  // the application title
  std::string Caption;      // the main window caption
};

// The titles for the current project (withFile) or for none. windowTitle is the
// translated title text, which begins with the product name.
TWindowTitle UpdateTitle(bool withFile, std::string_view windowTitle);

}  // namespace tessaro
