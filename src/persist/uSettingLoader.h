// Sections of the settings file: the line format and matching of project files, with
// their own list of sections and their own file handle. A TSLSet keeps the one object
// it reads into and writes from. Main thread only.
#pragma once

#include <string>
#include <string_view>

#include "persist/uFileLoader.h"

namespace tessaro {

// The sections of the settings file, in creation order.
TFLSetList& SettingSections();

inline constexpr std::string_view SettingsFileName = "tessaro.settings";

class TSLSet : public TFLSet {
 public:
  TSLSet(std::string_view name, void* target)
      : TFLSet(name, nullptr, &SettingSections()), Object(target) {}
  void* GetTarget() const override { return Object; }
  void SetTarget(void* target) { Object = target; }

 private:
  void* Object;
};

class TSettingLoad {
 public:
  // Writes every settings section; false (old file untouched) when it cannot be written.
  bool SaveSettings(const std::string& fileName = std::string(SettingsFileName));
  // Reads the file into the sections' objects; false when it cannot be opened.
  bool LoadSettings(const std::string& fileName = std::string(SettingsFileName));

 private:
  TFileLoad File;
};

TSettingLoad& SettingLoad();

}  // namespace tessaro
