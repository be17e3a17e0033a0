// Arbitrary bytes as a project file: sections with entries of every kind, one section
// that reuses its object, one whose target is missing, and the settings section.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "persist/uFileHandling.h"
#include "persist/uFileLoader.h"
#include "persist/uGlobalSettings.h"

using namespace tessaro;

namespace {

struct TAll {
  int I = 0;
  double R = 0;
  bool B = false;
  uint32_t C = 0;
  std::string S;
  TFontData F;
  int E = 0;
  TIntXY XY;
  uint32_t Colors[4] = {};
};

struct World {
  std::vector<std::unique_ptr<TAll>> Made;
  TAll One;
  TFLSet Many{"IXALL", [this] {
                Made.push_back(std::make_unique<TAll>());
                return static_cast<void*>(Made.back().get());
              }};
  TFLSet Single{"IXONE", [this] { return static_cast<void*>(&One); }};
  TFLSet Prefix{"IXA", [this] { return static_cast<void*>(&One); }};
  TFLSet None{"IXNONE", [] { return static_cast<void*>(nullptr); }};

  World() {
    for (TFLSet* set : {&Many, &Single, &Prefix, &None}) {
      TFLBinder<TAll> b(*set);
      b.BindField<TFLEInteger, &TAll::I>("int");
      b.BindField<TFLEReal, &TAll::R>("real");
      b.BindField<TFLEBool, &TAll::B>("bool");
      b.BindField<TFLEColor, &TAll::C>("color");
      b.BindField<TFLEString, &TAll::S>("string");
      b.BindField<TFLEFont, &TAll::F>("font");
      b.AddEnum(
          "enum", {"stretch", "fixWidth", "fixHeight", "orig"}, [](TAll& a) { return a.E; },
          [](TAll& a, int e) { a.E = e; });
      b.BindField<TFLEIntXY, &TAll::XY>("xy");
      for (int i = 0; i < 4; ++i)
        b.Add<TFLEColor>(
            "c" + std::to_string(i), [](TAll& a, int k) { return a.Colors[k]; },
            [](TAll& a, int k, uint32_t v) { a.Colors[k] = v; }, i);
    }
    GlobalSettings();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World w;
  w.Made.clear();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  TFileLoad file;
  file.LoadProjectText(nullptr, text);
  if (Loading() || file.IsOpen()) abort();
  // The same bytes as a settings file, read through the settings sections.
  file.OpenText(text);
  file.LoadSections(SettingSections());
  file.Close();
  // What was loaded must write out again.
  for (const auto& a : w.Made) {
    std::string s;
    TFLEFont::Format(a->F, s);
    TFLEString::Format(a->S, s);
  }
  SetProjectFile("");
  SetProjectPath("");
  GlobalSettings().Reset();
  return 0;
}
