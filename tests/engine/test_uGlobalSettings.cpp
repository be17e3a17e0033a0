#include "persist/uGlobalSettings.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/uConvert.h"
#include "core/uTrace.h"
#include "persist/uFileHandling.h"

using namespace tessaro;
namespace fs = std::filesystem;

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tessaro_gs_XXXXXX";
    Dir = mkdtemp(tmpl);
    File = Dir + "/tessaro.settings";
    GlobalSettings().Reset();
    GlobalSettings().OnLanguage = [this](const std::string& c) { Languages.push_back(c); };
    GlobalSettings().OnProjectPath = [this](const std::string& d) { Directories.push_back(d); };
  }
  void TearDown() override {
    GlobalSettings().OnLanguage = nullptr;
    GlobalSettings().OnProjectPath = nullptr;
    GlobalSettings().Reset();
    SetProjectFile("");
    SetProjectPath("");
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void Write(std::string_view text) { std::ofstream(File, std::ios::binary) << text; }

  std::string Dir, File;
  std::vector<std::string> Languages, Directories;
};

}  // namespace

TEST_F(Settings, SaveWritesTheSectionInKeyOrder) {
  TGlobalSettings& g = GlobalSettings();
  g.SetLangUserChoice("en");
  g.SetDecimalChoice(dcComma);
  g.AutoLoadProject = true;
  SetProjectPath("/home/u/projects/");
  SetProjectFile("/home/u/projects/demo.tess");
  ASSERT_TRUE(SaveSettings(File));
  EXPECT_EQ(Read(File),
            "IXGLOBALGENERAL\n"
            "ixVersion \"V1.0\"\n"
            "language \"en\"\n"
            "projectPath \"/home/u/projects/\"\n"
            "lastProjectFile \"demo.tess\"\n"
            "decimalSeparator komma\n"
            "autoLoadProject true\n"
            "startInRunMode false\n");
}

TEST_F(Settings, LoadRestoresLanguagePathProjectAndStartOptions) {
  Write(
      "IXGLOBALGENERAL\n"
      "ixVersion \"V9.9\"\n"
      "language \"english\"\n"
      "projectPath \"/home/u/projects/\"\n"
      "lastProjectFile \"demo.tess\"\n"
      "decimalSeparator Komma\n"
      "autoLoadProject true\n"
      "startInRunMode true\n");
  ASSERT_TRUE(LoadSettings(File));
  const TGlobalSettings& g = GlobalSettings();
  EXPECT_EQ(g.GetLangUserChoice(), "en");
  EXPECT_EQ(Languages, std::vector<std::string>{"en"});
  EXPECT_EQ(Directories, std::vector<std::string>{"/home/u/projects/"});
  EXPECT_EQ(ProjectPath(), "/home/u/projects/");
  EXPECT_EQ(ProjectFile(), "/home/u/projects/demo.tess");
  EXPECT_EQ(g.GetDecimalChoice(), dcComma);
  EXPECT_EQ(g.GetDecimalChar(), ',');
  EXPECT_EQ(RealToCommandText(12.5), "12,5");  // outgoing commands follow the setting
  EXPECT_TRUE(g.AutoLoadProject);
  EXPECT_TRUE(g.StartInRunMode);
}

TEST_F(Settings, MissingFileAndEmptyValuesKeepTheCurrentState) {
  SetProjectPath("/keep/");
  SetProjectFile("/keep/a.tess");
  EXPECT_FALSE(LoadSettings(Dir + "/none.settings"));
  Write(
      "IXGLOBALGENERAL\n"
      "language \"nn\"\n"
      "projectPath \"\"\n"
      "lastProjectFile \"\"\n"
      "decimalSeparator dot\n");
  ASSERT_TRUE(LoadSettings(File));
  const TGlobalSettings& g = GlobalSettings();
  EXPECT_TRUE(Languages.empty());  // "nn" keeps the built-in texts
  EXPECT_EQ(g.GetLangUserChoice(), "nn");
  EXPECT_EQ(ProjectPath(), "/keep/");
  EXPECT_EQ(ProjectFile(), "/keep/a.tess");
  EXPECT_EQ(g.GetDecimalChoice(), dcSystem);
  EXPECT_FALSE(g.AutoLoadProject);
  EXPECT_FALSE(g.StartInRunMode);
}

TEST_F(Settings, DecimalChoiceSetsTheCharacter) {
  TGlobalSettings& g = GlobalSettings();
  SetSystemDecimalSeparator(',');
  struct Case {
    int Index;
    char Char;
  };
  for (const Case& c :
       std::initializer_list<Case>{{1, '.'}, {0, ','}, {2, ','}, {1, '.'}, {-1, '.'}, {3, '.'}}) {
    g.SetDecimalChoice(c.Index);
    EXPECT_EQ(g.GetDecimalChoice(), c.Index);
    EXPECT_EQ(g.GetDecimalChar(), c.Char) << c.Index;
    EXPECT_EQ(OutputDecimalSeparator(), c.Char) << c.Index;
  }
  SetSystemDecimalSeparator('.');
}

TEST_F(Settings, DefaultFileLivesInTheWorkingDirectoryAndTraces) {
  std::vector<std::string> trace;
  SetTraceHook([](std::string_view t,
                  void* c) { static_cast<std::vector<std::string>*>(c)->emplace_back(t); },
               &trace);
  fs::path old = fs::current_path();
  fs::current_path(Dir);
  GlobalSettings().StartInRunMode = true;
  bool saved = SaveSettings();
  GlobalSettings().StartInRunMode = false;
  bool loaded = LoadSettings();
  fs::current_path(old);
  SetTraceHook(nullptr, nullptr);
  ASSERT_TRUE(saved);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(GlobalSettings().StartInRunMode);
  EXPECT_TRUE(fs::exists(File));
  EXPECT_EQ(trace, (std::vector<std::string>{"TSettingLoad.SaveSettings:FileOpen",
                                             "TSettingLoad.SaveSettings: SLSetList.Count: 1",
                                             "TSettingLoad.SaveSettings:FileClose",
                                             "TSettingLoad.LoadSettings:FileOpen",
                                             "TSettingLoad.LoadSettings:FileClose"}));
}

TEST_F(Settings, UnwritableFileFailsAndKeepsTheOldOne) {
  Write("IXGLOBALGENERAL\nlanguage \"de\"\n");
  EXPECT_FALSE(SaveSettings(Dir + "/missing/tessaro.settings"));
  EXPECT_FALSE(SaveSettings(Dir));
  EXPECT_EQ(Read(File), "IXGLOBALGENERAL\nlanguage \"de\"\n");
}

TEST_F(Settings, StartSettings) {
  struct Case {
    bool AutoLoad, RunMode, HasFile, LoadOk;
    std::vector<std::string> Log;
    std::string FileAfter;
  };
  const std::string file = "/home/u/projects/demo.tess";
  for (const Case& c : std::initializer_list<Case>{
           {false, false, true, true, {}, file},
           {true, false, true, true, {"new", "load:" + file, "title"}, file},
           {true, true, true, false, {"new", "load:" + file, "new", "mode:0"}, ""},
           {true, true, false, true, {"mode:0"}, ""},
           {false, true, true, true, {"mode:0"}, file}}) {
    std::vector<std::string> log;
    TStartActions a;
    a.NewProject = [&log] {
      SetProjectFile("");
      log.push_back("new");
    };
    a.LoadProject = [&] {
      log.push_back("load:" + ProjectFile());
      return c.LoadOk;
    };
    a.SetMode = [&log](int m) { log.push_back("mode:" + std::to_string(m)); };
    a.UpdateTitle = [&log] { log.push_back("title"); };
    GlobalSettings().AutoLoadProject = c.AutoLoad;
    GlobalSettings().StartInRunMode = c.RunMode;
    SetProjectFile(c.HasFile ? file : "");
    ApplyStartSettings(a);
    EXPECT_EQ(log, c.Log);
    EXPECT_EQ(ProjectFile(), c.FileAfter);
  }
}
