#include "persist/uSettingLoader.h"

#include "core/uTrace.h"

namespace tessaro {

TFLSetList& SettingSections() {
  static TFLSetList list;
  return list;
}

TSettingLoad& SettingLoad() {
  static TSettingLoad load;
  return load;
}

bool TSettingLoad::SaveSettings(const std::string& fileName) {
  if (!File.OpenWrite(fileName)) return false;
  Trace("TSettingLoad.SaveSettings:FileOpen");
  const TFLSetList& list = SettingSections();
  Trace("TSettingLoad.SaveSettings: SLSetList.Count: " + std::to_string(list.size()));
  try {
    for (const TFLSet* set : list)
      set->SaveSet(File, set->GetTarget());
  } catch (...) {
    File.Discard();  // nothing half-written replaces the old file
    return false;
  }
  bool ok = File.Close();
  Trace("TSettingLoad.SaveSettings:FileClose");
  return ok;
}

bool TSettingLoad::LoadSettings(const std::string& fileName) {
  if (!File.OpenRead(fileName)) return false;
  Trace("TSettingLoad.LoadSettings:FileOpen");
  try {
    File.LoadSections(SettingSections());
  } catch (...) {
  }
  File.Close();
  Trace("TSettingLoad.LoadSettings:FileClose");
  return true;
}

}  // namespace tessaro
