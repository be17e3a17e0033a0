#include "persist/uCmdArgs.h"

#include <gtest/gtest.h>

#include "persist/uFileHandling.h"

using namespace tessaro;

namespace {

// Every action writes one word into the log, so a case reads as the sequence it caused.
struct Recorder {
  std::vector<std::string> Log;
  bool LoadOk = true;
  TCmdActions Actions() {
    TCmdActions a;
    a.SetLanguage = [this](const std::string& c) { Log.push_back("lang:" + c); };
    a.EnterFullScreen = [this] { Log.push_back("fullscreen"); };
    a.EnterFullWindow = [this] { Log.push_back("fullwindow"); };
    a.NewProject = [this] {
      SetProjectFile("");
      Log.push_back("new");
    };
    a.ShowLoadingCover = [this](bool on) { Log.push_back(on ? "cover" : "uncover"); };
    a.LoadProject = [this] {
      Log.push_back("load:" + ProjectFile() + "|" + ProjectPath());
      return LoadOk;
    };
    a.ShowMessage = [this](const std::string& t) { Log.push_back("msg:" + t); };
    a.SetMode = [this](int m) { Log.push_back("mode:" + std::to_string(m)); };
    a.SelectFirstSheet = [this] { Log.push_back("first"); };
    a.UpdateTitle = [this] { Log.push_back("title"); };
    a.Connect = [this] { Log.push_back("connect"); };
    a.WorkingDirectory = [] { return std::string("/work"); };
    return a;
  }
};

using Args = std::vector<std::string>;
using Log = std::vector<std::string>;

Log Loaded(const std::string& file, const std::string& path) {
  return {"new", "cover", "load:" + file + "|" + path, "uncover", "mode:1", "first", "title"};
}

Log Join(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(CmdArgs, HasParamMatchesPrefixesWithoutCase) {
  const Args args = {"demo.tess", "-RUNMODE", "-fullscreen=1"};
  EXPECT_TRUE(HasParam(args, "-runmode"));
  EXPECT_TRUE(HasParam(args, "-fullscreen"));
  EXPECT_TRUE(HasParam(args, "DEMO"));
  EXPECT_FALSE(HasParam(args, "-connect"));
  EXPECT_FALSE(HasParam(args, "-fullscreen=12"));
  EXPECT_FALSE(HasParam({}, "-x"));
}

TEST(CmdArgs, Decisions) {
  struct Case {
    Args Arguments;
    Log Expected;
  };
  const Log connect = {"mode:0", "connect"};
  for (const Case& c : std::initializer_list<Case>{
           {{}, {}},
           {{"demo.tess", "-connect"}, Join(Loaded("/work/demo.tess", "/work/"), connect)},
           {{"-connect", "demo.tess"}, {}},
           {{"demo.TESS"}, {}},
           {{"demo.tess", "-LANG=EN"}, Join({"lang:en"}, Loaded("/work/demo.tess", "/work/"))},
           {{"/p/x.tess", "-runmode"}, Join(Loaded("/p/x.tess", "/p/"), {"mode:0"})},
           {{"../x.tess"}, Loaded("/work/../x.tess", "/work/")},
           {{"-lang=zh", "-lang=de", "-fullwindow", "-fullscreen", "-runmode"},
            {"lang:de", "lang:zh", "fullscreen", "fullwindow"}},
           {{"notes.txt", "-runmode", "-connect"}, Join({"mode:0"}, connect)},
           {{"", "-connect"}, connect},
           {{"-lang=fr"}, {}}}) {
    Recorder r;
    SetProjectFile("old.tess");
    SetProjectPath("/old/");
    EvaluateCommandLine(c.Arguments, r.Actions());
    EXPECT_EQ(r.Log, c.Expected) << ::testing::PrintToString(c.Arguments);
  }
  SetProjectFile("");
  SetProjectPath("");
}

TEST(CmdArgs, FailedLoadShowsTheMessageAndStillAppliesRunAndConnect) {
  Recorder r;
  r.LoadOk = false;
  EvaluateCommandLine({"demo.tess", "-connect"}, r.Actions());
  Log expected = {"new",
                  "cover",
                  "load:/work/demo.tess|/work/",
                  "msg:Fehler beim Öffnen der Datei \"/work/demo.tess\"",
                  "uncover",
                  "mode:1",
                  "first",
                  "title",
                  "mode:0",
                  "connect"};
  EXPECT_EQ(r.Log, expected);
  EXPECT_EQ(ProjectFile(), "/work/demo.tess");  // the title shows the name
  SetProjectFile("");
  SetProjectPath("");
}
