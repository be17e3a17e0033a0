#include "persist/uFileHandling.h"

#include "core/uConvert.h"

namespace tessaro {

namespace {

std::string gProjectFile;
std::string gProjectPath;

}  // namespace

const std::string& ProjectFile() {
  return gProjectFile;
}
void SetProjectFile(std::string_view name) {
  gProjectFile.assign(name);
}
const std::string& ProjectPath() {
  return gProjectPath;
}
void SetProjectPath(std::string_view path) {
  gProjectPath.assign(path);
}

std::string ExtractPath(std::string_view name) {
  size_t dot = name.find('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return {};
  size_t sep = name.find_last_of("/\\");
  if (sep == std::string_view::npos || sep > dot) return {};
  return std::string(name.substr(0, sep + 1));
}

std::string MakeRelative(std::string_view name) {
  std::string dir = ExtractPath(name);
  if (dir == gProjectPath) return std::string(name.substr(dir.size()));
  return std::string(name);
}

std::string MakeAbsolute(std::string_view name) {
  if (name.empty()) return {};
  if (!ExtractPath(name).empty()) return std::string(name);
  return gProjectPath + std::string(name);
}

std::string RemoveExtension(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::string(name);
  return std::string(name.substr(0, dot));
}

TWindowTitle UpdateTitle(bool withFile, std::string_view windowTitle) {
  TWindowTitle t;
  if (!withFile) {
    t.Application = ProductName;
    t.Caption = windowTitle;
    return t;
  }
  // Cut by characters so that a UTF-8 name never ends inside a character.
  std::string name = CutToChars(RemoveExtension(MakeRelative(gProjectFile)), TitleMaxChars);
  t.Application = name + " - " + std::string(ProductName);
  t.Caption = name + " - " + std::string(windowTitle);
  return t;
}

}  // namespace tessaro
