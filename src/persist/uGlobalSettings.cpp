#include "persist/uGlobalSettings.h"

#include "core/uConvert.h"
#include "persist/uFileHandling.h"

namespace tessaro {

TGlobalSettings::TGlobalSettings() : Section("IXGLOBALGENERAL", this) {
  TFLBinder<TGlobalSettings> b(Section);
  b.Add<TFLEString>(
      "ixVersion", [](TGlobalSettings&) { return std::string("V1.0"); },
      [](TGlobalSettings&, const std::string&) {});
  b.Add<TFLEString>(
      "language", [](TGlobalSettings& g) { return g.Language; },
      [](TGlobalSettings& g, const std::string& code) {
        g.SetLangUserChoice(code);
        if (g.Language != "nn" && g.OnLanguage) g.OnLanguage(g.Language);
      });
  b.Add<TFLEString>(
      "projectPath", [](TGlobalSettings&) { return ProjectPath(); },
      [](TGlobalSettings& g, const std::string& path) {
        if (path.empty()) return;
        SetProjectPath(path);
        if (g.OnProjectPath) g.OnProjectPath(path);
      });
  b.Add<TFLEString>(
      "lastProjectFile", [](TGlobalSettings&) { return MakeRelative(ProjectFile()); },
      [](TGlobalSettings&, const std::string& name) {
        if (!name.empty()) SetProjectFile(MakeAbsolute(name));
      });
  b.AddEnum(
      "decimalSeparator", {"system", "point", "komma"},
      [](TGlobalSettings& g) { return g.DecimalChoice; },
      [](TGlobalSettings& g, int index) { g.SetDecimalChoice(index); });
  b.BindField<TFLEBool, &TGlobalSettings::AutoLoadProject>("autoLoadProject");
  b.BindField<TFLEBool, &TGlobalSettings::StartInRunMode>("startInRunMode");
  SetDecimalChoice(dcSystem);
}

void TGlobalSettings::SetDecimalChoice(int index) {
  DecimalChoice = index;
  switch (index) {
    case dcSystem:
      DecimalChar = SystemDecimalSeparator();
      break;
    case dcPoint:
      DecimalChar = '.';
      break;
    case dcComma:
      DecimalChar = ',';
      break;
    default:
      return;
  }
  SetOutputDecimalSeparator(DecimalChar);
}

void TGlobalSettings::SetLangUserChoice(std::string_view code) {
  Language = CutToChars(code, 2);
}

void TGlobalSettings::Reset() {
  AutoLoadProject = false;
  StartInRunMode = false;
  Language = "nn";
  SetDecimalChoice(dcSystem);
}

TGlobalSettings& GlobalSettings() {
  static TGlobalSettings settings;
  return settings;
}

bool SaveSettings(const std::string& fileName) {
  GlobalSettings();  // the section exists before the list is written
  return SettingLoad().SaveSettings(fileName);
}

bool LoadSettings(const std::string& fileName) {
  GlobalSettings();
  return SettingLoad().LoadSettings(fileName);
}

void ApplyStartSettings(const TStartActions& actions) {
  const TGlobalSettings& g = GlobalSettings();
  if (g.AutoLoadProject && !ProjectFile().empty()) {
    std::string name = ProjectFile();
    if (actions.NewProject) actions.NewProject();
    SetProjectFile(name);
    bool ok = actions.LoadProject && actions.LoadProject();
    if (!ok) {
      SetProjectFile("");
      if (actions.NewProject) actions.NewProject();
    } else if (actions.UpdateTitle) {
      actions.UpdateTitle();
    }
  }
  if (g.StartInRunMode && actions.SetMode) actions.SetMode(0);
}

}  // namespace tessaro
