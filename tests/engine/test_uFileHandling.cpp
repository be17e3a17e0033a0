#include "persist/uFileHandling.h"

#include <gtest/gtest.h>

using namespace tessaro;

namespace {

struct ProjectState : ::testing::Test {
  void TearDown() override {
    SetProjectFile("");
    SetProjectPath("");
  }
};

}  // namespace

TEST_F(ProjectState, FileNameRules) {
  struct Case {
    const char* Name;
    const char* Path;      // ExtractPath
    const char* Relative;  // MakeRelative with ProjectPath /home/u/
    const char* Absolute;  // MakeAbsolute with ProjectPath /home/u/
    const char* NoExt;     // RemoveExtension
  };
  SetProjectPath("/home/u/");
  for (const Case& c : std::initializer_list<Case>{
           {"/home/u/demo.tess", "/home/u/", "demo.tess", "/home/u/demo.tess", "/home/u/demo"},
           {"demo.tess", "", "demo.tess", "/home/u/demo.tess", "demo"},
           {"/home/u/demo", "", "/home/u/demo", "/home/u//home/u/demo", "/home/u/demo"},
           {"/home/u.v/demo.tess", "", "/home/u.v/demo.tess", "/home/u//home/u.v/demo.tess",
            "/home/u.v/demo"},
           {"/home/u/demo.", "", "/home/u/demo.", "/home/u//home/u/demo.", "/home/u/demo"},
           {"/tmp/demo.tess", "/tmp/", "/tmp/demo.tess", "/tmp/demo.tess", "/tmp/demo"},
           {"/home/u/sub/a.tess", "/home/u/sub/", "/home/u/sub/a.tess", "/home/u/sub/a.tess",
            "/home/u/sub/a"},
           {"/HOME/U/a.tess", "/HOME/U/", "/HOME/U/a.tess", "/HOME/U/a.tess", "/HOME/U/a"},
           {"C:\\u\\pump.station.tess", "C:\\u\\", "C:\\u\\pump.station.tess",
            "C:\\u\\pump.station.tess", "C:\\u\\pump.station"},
           {"/data/log", "", "/data/log", "/home/u//data/log", "/data/log"},
           {"", "", "", "", ""}}) {
    EXPECT_EQ(ExtractPath(c.Name), c.Path) << c.Name;
    EXPECT_EQ(MakeRelative(c.Name), c.Relative) << c.Name;
    EXPECT_EQ(MakeAbsolute(c.Name), c.Absolute) << c.Name;
    EXPECT_EQ(RemoveExtension(c.Name), c.NoExt) << c.Name;
  }
}

TEST_F(ProjectState, TitleShowsTheProjectNameCutTo32Characters) {
  const std::string title = "Tessaro Dashboard";
  struct Case {
    const char* File;
    const char* Path;
    const char* Application;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"/home/u/pump.station.tess", "/home/u/", "pump.station - Tessaro"},
           {"/home/u/demo.tess", "/other/", "/home/u/demo - Tessaro"},
           {"/home/u/0123456789012345678901234567890123456789.tess", "/home/u/",
            "01234567890123456789012345678901 - Tessaro"},
           // 32 characters, not bytes: a cut never ends inside a character.
           {"/p/\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
            "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
            "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
            "\xC3\xA4\xC3\xA4xyz.tess",
            "/p/",
            "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
            "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
            "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
            "\xC3\xA4\xC3\xA4 - Tessaro"}}) {
    SetProjectFile(c.File);
    SetProjectPath(c.Path);
    TWindowTitle t = UpdateTitle(true, title);
    EXPECT_EQ(t.Application, c.Application) << c.File;
    std::string name = std::string(c.Application).substr(0, t.Application.size() - 10);
    EXPECT_EQ(t.Caption, name + " - " + title) << c.File;
  }
  TWindowTitle none = UpdateTitle(false, title);
  EXPECT_EQ(none.Application, "Tessaro");
  EXPECT_EQ(none.Caption, title);
}
