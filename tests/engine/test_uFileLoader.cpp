#include "persist/uFileLoader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "persist/uFileHandling.h"

using namespace tessaro;
namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------- a small fake project

struct TGeneral {
  bool Compile = false;
  std::string LogFile = "ConsoleLog.txt";
};

struct TPort {
  std::string Name = "/dev/ttyUSB0";
  int Baud = 9600;
};

struct TSheetObj {
  std::string Name = "Blatt 1";
  int PicMode = 0;
  uint32_t Back = 0x00F0F0F0;
};

// An instrument with a value of every kind, bound through each binder form.
struct TThing {
  bool Disabled = false;
  std::string Denom;
  int Left = 0, Top = 0;
  TIntXY Size{10, 20};
  int Decimals = 2;
  double Gain = 1.0;
  uint32_t Back = 0x00FFFFFF;
  TFontData Font;
  int Mode = 1;
  uint32_t Curve[3] = {1, 2, 3};
  bool Attached = false;
  bool UnknownSet = false;  // written without a section: an internal error

  int GetLeft() const { return Left; }
  void SetLeft(int v) { Left = v; }
  int GetTop() const { return Top; }
  void SetTop(int v) { Top = v; }
  const std::string& GetDenom() const { return Denom; }
  void SetDenom(std::string_view s) { Denom.assign(s); }
  uint32_t GetCurve(int i) const { return Curve[i]; }
  void SetCurve(int i, uint32_t c) { Curve[i] = c; }
  bool operator==(const TThing& o) const {
    return Disabled == o.Disabled && Denom == o.Denom && Left == o.Left && Top == o.Top &&
           Size == o.Size && Decimals == o.Decimals && Gain == o.Gain && Back == o.Back &&
           Font == o.Font && Mode == o.Mode && Curve[0] == o.Curve[0] && Curve[1] == o.Curve[1] &&
           Curve[2] == o.Curve[2];
  }
};

struct TProject : TProjectWalk {
  TGeneral General_;
  std::vector<std::unique_ptr<TPort>> Ports;
  struct TSheetEntry {
    TSheetObj Sheet;
    std::vector<std::unique_ptr<TThing>> Things;
  };
  std::vector<std::unique_ptr<TSheetEntry>> Sheets;
  bool ReuseFirstSheet = true;
  std::vector<std::string> Errors;
  int Hides = 0;

  TProject() { Sheets.push_back(std::make_unique<TSheetEntry>()); }

  TFLItem General() override;
  int InterfaceCount() override { return static_cast<int>(Ports.size()); }
  TFLItem Interface(int i) override;
  int SheetCount() override { return static_cast<int>(Sheets.size()); }
  TFLItem Sheet(int s) override;
  int InstrumentCount(int s) override { return static_cast<int>(Sheets[s]->Things.size()); }
  TFLItem Instrument(int s, int i) override;
  void HidePropertyEditor() override { ++Hides; }
  void InternalError(std::string_view m) override { Errors.emplace_back(m); }

  TSheetObj* NextSheet() {
    if (ReuseFirstSheet) {
      ReuseFirstSheet = false;
      return &Sheets.front()->Sheet;
    }
    Sheets.push_back(std::make_unique<TSheetEntry>());
    return &Sheets.back()->Sheet;
  }
  TThing* NewThing() {
    Sheets.back()->Things.push_back(std::make_unique<TThing>());
    return Sheets.back()->Things.back().get();
  }
  TThing& Thing(size_t sheet, size_t i) { return *Sheets.at(sheet)->Things.at(i); }
};

TProject* gProject = nullptr;  // what the section targets fill

// The section definitions, declared once as the owning units do.
struct TSections {
  TFLSet General{"IXGENERAL", [] { return static_cast<void*>(&gProject->General_); }};
  TFLSet Port{"IXPORT", [] {
                gProject->Ports.push_back(std::make_unique<TPort>());
                return static_cast<void*>(gProject->Ports.back().get());
              }};
  TFLSet Sheet{"IXSHEET", [] { return static_cast<void*>(gProject->NextSheet()); }};
  TFLSet Thing{"IXTHING", [] { return static_cast<void*>(gProject->NewThing()); }};

  TSections() {
    TFLBinder<TGeneral> g(General);
    g.BindField<TFLEBool, &TGeneral::Compile>("showCompileState");
    g.BindField<TFLEString, &TGeneral::LogFile>("consoleRecFile");

    TFLBinder<TPort> p(Port);
    p.BindField<TFLEString, &TPort::Name>("port");
    p.BindField<TFLEInteger, &TPort::Baud>("baudrate");

    TFLBinder<TSheetObj> s(Sheet);
    s.BindField<TFLEString, &TSheetObj::Name>("name");
    s.AddEnum(
        "picMode", {"stretch", "fixWidth", "fixHeight", "orig"},
        [](TSheetObj& o) { return o.PicMode; }, [](TSheetObj& o, int v) { o.PicMode = v; });
    s.BindField<TFLEColor, &TSheetObj::Back>("bckColor");

    TFLBinder<TThing> t(Thing);
    t.BindField<TFLEBool, &TThing::Disabled>("disabled");
    t.Bind<TFLEString, &TThing::GetDenom, &TThing::SetDenom>("denom");
    t.BindXY<&TThing::GetLeft, &TThing::SetLeft, &TThing::GetTop, &TThing::SetTop>("position");
    t.BindField<TFLEIntXY, &TThing::Size>("size");
    t.BindField<TFLEInteger, &TThing::Decimals>("decimal");
    t.BindField<TFLEReal, &TThing::Gain>("gain");
    t.BindField<TFLEColor, &TThing::Back>("bckGndColor");
    t.BindField<TFLEFont, &TThing::Font>("font");
    t.AddEnum(
        "mode", {"off", "line", "dots"}, [](TThing& o) { return o.Mode; },
        [](TThing& o, int v) { o.Mode = v; });
    // One accessor pair for the three curve colours, told apart by the index.
    for (int i = 0; i < 3; ++i)
      t.Bind<TFLEColor, &TThing::GetCurve, &TThing::SetCurve>("curveColor" + std::to_string(i), i);
  }
};

TSections& Sections() {
  static TSections sections;
  return sections;
}

TFLItem TProject::General() {
  return {&Sections().General, &General_};
}
TFLItem TProject::Interface(int i) {
  return {&Sections().Port, Ports[i].get()};
}
TFLItem TProject::Sheet(int s) {
  return {&Sections().Sheet, &Sheets[s]->Sheet};
}
TFLItem TProject::Instrument(int s, int i) {
  TThing* t = Sheets[s]->Things[i].get();
  return {t->UnknownSet ? nullptr : &Sections().Thing, t, t->Attached};
}

class FileLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    Sections();
    char tmpl[] = "/tmp/tessaro_fl_XXXXXX";
    Dir = mkdtemp(tmpl);
    gProject = &Loaded;
  }
  void TearDown() override {
    gProject = nullptr;
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  std::string Path(const std::string& name) const { return Dir + "/" + name; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static void Write(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  // Loads text into the fresh project and checks the load ended cleanly.
  void LoadText(std::string_view text) {
    ProjectFileLoad().LoadProjectText(&Loaded, text);
    EXPECT_FALSE(Loading());
    EXPECT_FALSE(ProjectFileLoad().IsOpen());
  }
  TThing& Only() {
    EXPECT_EQ(Loaded.Sheets.size(), 1u);
    EXPECT_EQ(Loaded.Sheets[0]->Things.size(), 1u);
    return Loaded.Thing(0, 0);
  }

  TProject Loaded;
  std::string Dir;
};

// A project with non-default values of every kind, as the file should show them.
void FillSample(TProject& p) {
  p.General_.Compile = true;
  p.Ports.push_back(std::make_unique<TPort>());
  p.Ports[0]->Baud = 115200;
  p.Sheets[0]->Sheet.Name = "Messwerte";
  p.Sheets[0]->Sheet.PicMode = 3;
  auto& t = *p.Sheets[0]->Things.emplace_back(std::make_unique<TThing>());
  t.Disabled = true;
  t.Denom = "say \"hi\"   ";  // inner quotes kept, trailing blanks dropped
  t.Left = 24;
  t.Top = 16;
  t.Size = {200, 50};
  t.Decimals = -3;
  t.Gain = 12.5;
  t.Back = 0x000000FF;
  t.Font = {"DejaVu Sans Mono", 16, 0x00808080, true, false, true, false};
  t.Mode = 2;
  t.Curve[1] = 0x00ABCDEF;
  auto& sub = *p.Sheets[0]->Things.emplace_back(std::make_unique<TThing>());
  sub.Attached = true;  // written by its owner, not on its own
  p.Sheets.push_back(std::make_unique<TProject::TSheetEntry>());
  p.Sheets[1]->Sheet.Name = "";
  p.Sheets[1]->Sheet.PicMode = 7;  // outside the names: written empty
  p.Sheets[1]->Things.emplace_back(std::make_unique<TThing>())->Gain = 1.5e-7;
}

constexpr std::string_view SampleText =
    "IXGENERAL\n"
    "showCompileState true\n"
    "consoleRecFile \"ConsoleLog.txt\"\n"
    "IXPORT\n"
    "port \"/dev/ttyUSB0\"\n"
    "baudrate 115200\n"
    "IXSHEET\n"
    "name \"Messwerte\"\n"
    "picMode orig\n"
    "bckColor $00F0F0F0\n"
    "IXTHING\n"
    "disabled true\n"
    "denom \"say \"hi\"\"\n"
    "position x=24 y=16\n"
    "size x=200 y=50\n"
    "decimal -3\n"
    "gain 12,5\n"
    "bckGndColor $000000FF\n"
    "font name=\"DejaVu Sans Mono\" size=16 color=$00808080 style=bold,underline\n"
    "mode dots\n"
    "curveColor0 $00000001\n"
    "curveColor1 $00ABCDEF\n"
    "curveColor2 $00000003\n"
    "IXSHEET\n"
    "name \"\"\n"
    "picMode\n"
    "bckColor $00F0F0F0\n"
    "IXTHING\n"
    "disabled false\n"
    "denom \"\"\n"
    "position x=0 y=0\n"
    "size x=10 y=20\n"
    "decimal 2\n"
    "gain 1,5E-7\n"
    "bckGndColor $00FFFFFF\n"
    "font name=\"DejaVu Sans\" size=10 color=$00000000\n"
    "mode line\n"
    "curveColor0 $00000001\n"
    "curveColor1 $00000002\n"
    "curveColor2 $00000003\n";

}  // namespace

// ---------------------------------------------------------------- saving and loading

TEST_F(FileLoader, SaveWritesEverySectionInProjectOrder) {
  TProject p;
  FillSample(p);
  ASSERT_TRUE(ProjectFileLoad().SaveProject(p, Path("a.tess")));
  EXPECT_EQ(Read(Path("a.tess")), SampleText);
  EXPECT_TRUE(p.Errors.empty());
  // Only the project file remains: the temporary file was renamed over it.
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
}

TEST_F(FileLoader, RoundTripRestoresEveryKind) {
  TProject p;
  FillSample(p);
  ASSERT_TRUE(ProjectFileLoad().SaveProject(p, Path("a.tess")));
  ASSERT_TRUE(ProjectFileLoad().LoadProject(&Loaded, Path("a.tess")));
  EXPECT_FALSE(Loading());
  EXPECT_EQ(Loaded.Hides, 1);
  EXPECT_TRUE(Loaded.General_.Compile);
  ASSERT_EQ(Loaded.Ports.size(), 1u);
  EXPECT_EQ(Loaded.Ports[0]->Baud, 115200);
  ASSERT_EQ(Loaded.Sheets.size(), 2u);
  EXPECT_EQ(Loaded.Sheets[0]->Sheet.Name, "Messwerte");
  EXPECT_EQ(Loaded.Sheets[0]->Sheet.PicMode, 3);
  EXPECT_EQ(Loaded.Sheets[1]->Sheet.PicMode, 0);   // the empty value kept the default
  ASSERT_EQ(Loaded.Sheets[0]->Things.size(), 1u);  // the attached one was not written
  TThing expected = *p.Sheets[0]->Things[0];
  expected.Denom = "say \"hi\"";
  EXPECT_EQ(Loaded.Thing(0, 0), expected);
  EXPECT_EQ(Loaded.Thing(1, 0).Gain, 1.5e-7);
  EXPECT_EQ(Loaded.Thing(1, 0).Denom, "");
}

TEST_F(FileLoader, InstrumentWithoutSectionIsReportedAndSkipped) {
  TProject p;
  p.Sheets[0]->Things.emplace_back(std::make_unique<TThing>())->UnknownSet = true;
  p.Sheets[0]->Things.emplace_back(std::make_unique<TThing>())->Decimals = 5;
  ASSERT_TRUE(ProjectFileLoad().SaveProject(p, Path("a.tess")));
  ASSERT_EQ(p.Errors.size(), 1u);
  EXPECT_EQ(p.Errors[0], "IXFileLoadSet not assigned in Unit uInit!");
  ASSERT_TRUE(ProjectFileLoad().LoadProject(&Loaded, Path("a.tess")));
  EXPECT_EQ(Only().Decimals, 5);
}

TEST_F(FileLoader, SaveAndLoadUseTheCurrentProjectFile) {
  TProject p;
  FillSample(p);
  SetProjectFile(Path("current.tess"));
  ASSERT_TRUE(ProjectFileLoad().SaveProject(p));
  ASSERT_TRUE(ProjectFileLoad().LoadProject(&Loaded));
  EXPECT_EQ(Loaded.Thing(0, 0).Gain, 12.5);
  SetProjectFile("");
  EXPECT_FALSE(ProjectFileLoad().LoadProject(&Loaded));
}

TEST_F(FileLoader, FailedSaveLeavesTheOldFileUntouched) {
  TProject p;
  FillSample(p);
  Write(Path("old.tess"), "IXGENERAL\nshowCompileState false\n");
  fs::create_directory(Path("adir"));
  for (const std::string& target : {Path("missing/dir/a.tess"), Path("adir"), std::string()})
    EXPECT_FALSE(ProjectFileLoad().SaveProject(p, target)) << target;
  EXPECT_EQ(Read(Path("old.tess")), "IXGENERAL\nshowCompileState false\n");
  // A write that is dropped before it is complete keeps the old file as well.
  TFileLoad f;
  ASSERT_TRUE(f.OpenWrite(Path("old.tess")));
  f.WriteLine("IXGENERAL");
  f.Discard();
  EXPECT_EQ(Read(Path("old.tess")), "IXGENERAL\nshowCompileState false\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 2);
}

TEST_F(FileLoader, SaveKeepsModeOfTheReplacedFileAndFollowsLinks) {
  TProject p;
  Write(Path("real.tess"), "old\n");
  chmod(Path("real.tess").c_str(), 0640);
  fs::create_symlink(Path("real.tess"), Path("link.tess"));
  ASSERT_TRUE(ProjectFileLoad().SaveProject(p, Path("link.tess")));
  EXPECT_TRUE(fs::is_symlink(Path("link.tess")));
  EXPECT_EQ(Read(Path("real.tess")).substr(0, 10), "IXGENERAL\n");
  struct stat st;
  ASSERT_EQ(stat(Path("real.tess").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FileLoader, UnreadableFileFailsWithoutLoading) {
  EXPECT_FALSE(ProjectFileLoad().LoadProject(&Loaded, Path("none.tess")));
  EXPECT_FALSE(ProjectFileLoad().LoadProject(&Loaded, "  "));
  EXPECT_FALSE(ProjectFileLoad().LoadProject(&Loaded, Dir));
  EXPECT_FALSE(Loading());
  EXPECT_FALSE(ProjectFileLoad().IsOpen());
  EXPECT_TRUE(Loaded.Sheets[0]->Things.empty());
}

// ---------------------------------------------------------------- value forms

TEST(FileEntries, WrittenForms) {
  auto text = [](auto format, const auto& v) {
    std::string s;
    format(v, s);
    return s;
  };
  EXPECT_EQ(text(TFLEInteger::Format, -2147483647 - 1), "-2147483648");
  EXPECT_EQ(text(TFLEReal::Format, -0.25), "-0,25");
  EXPECT_EQ(text(TFLEReal::Format, 1e20), "1E20");
  EXPECT_EQ(text(TFLEBool::Format, false), "false");
  EXPECT_EQ(text(TFLEColor::Format, 0x00FF8000u), "$00FF8000");
  EXPECT_EQ(text(TFLEIntXY::Format, TIntXY{-5, 10}), "x=-5 y=10");
  EXPECT_EQ(text(TFLEString::Format, std::string("a \"b\" c \t ")), "\"a \"b\" c\"");
  EXPECT_EQ(text(TFLEFont::Format, TFontData{"Sans", 9, 0, false, true, false, true}),
            "name=\"Sans\" size=9 color=$00000000 style=italic,strikeout");
  TFLEEnum e("m", {"a", "b"}, nullptr, nullptr);
  std::string s;
  e.FormatValue(-1, s);
  e.FormatValue(2, s);
  EXPECT_EQ(s, "");
  e.FormatValue(1, s);
  EXPECT_EQ(s, "b");
}

TEST(FileEntries, ReadRules) {
  struct Case {
    const char* Text;
    bool Ok;
    int32_t Value;
  };
  for (const Case& c : std::initializer_list<Case>{{"42", true, 42},
                                                   {"-7", true, -7},
                                                   {"-", false, 0},
                                                   {"", false, 0},
                                                   {"+4", false, 0},
                                                   {"4 ", false, 0},
                                                   {"12a", false, 0},
                                                   {"2147483647", true, 2147483647},
                                                   {"2147483648", false, 0},
                                                   {"99999999999999999999", false, 0}}) {
    int32_t v = 0;
    EXPECT_EQ(TFLEInteger::Parse(c.Text, v), c.Ok) << c.Text;
    EXPECT_EQ(v, c.Value) << c.Text;
  }
  struct XYCase {
    const char* Text;
    bool Ok;
    TIntXY Value;
  };
  for (const XYCase& c : std::initializer_list<XYCase>{{"x=120 y=45", true, {120, 45}},
                                                       {"x=-5 y=10", false, {}},
                                                       {"x=5 y=-10", false, {}},
                                                       {"x=5 y=", false, {}},
                                                       {"x=5y=6", false, {}},
                                                       {"x=5 y=6 ", false, {}},
                                                       {"x=9999999999 y=1", false, {}},
                                                       {"y=1 x=2", false, {}}}) {
    TIntXY v;
    EXPECT_EQ(TFLEIntXY::Parse(c.Text, v), c.Ok) << c.Text;
    EXPECT_EQ(v, c.Value) << c.Text;
  }
  double r = 0;
  EXPECT_TRUE(TFLEReal::Parse("12,5", r));
  EXPECT_EQ(r, 12.5);
  EXPECT_TRUE(TFLEReal::Parse("1.5E-7", r));
  EXPECT_EQ(r, 1.5e-7);
  EXPECT_FALSE(TFLEReal::Parse("1,5,0", r));
  EXPECT_FALSE(TFLEReal::Parse("1E999", r));
  EXPECT_EQ(r, 1.5e-7);
  bool b = false;
  EXPECT_TRUE(TFLEBool::Parse("trueish", b) && b);
  EXPECT_TRUE(TFLEBool::Parse("false", b) && !b);
  EXPECT_FALSE(TFLEBool::Parse("TRUE", b));
  uint32_t c = 0;
  EXPECT_TRUE(TFLEColor::Parse("$000000FF", c) && c == 0xFFu);
  EXPECT_TRUE(TFLEColor::Parse("255", c) && c == 255u);  // hand-edited decimal
  EXPECT_TRUE(TFLEColor::Parse("$FFFFFFFF", c) && c == 0xFFFFFFFFu);
  EXPECT_FALSE(TFLEColor::Parse("$", c));
  EXPECT_FALSE(TFLEColor::Parse("$1FFFFFFFF", c));
  std::string s = "keep";
  EXPECT_FALSE(TFLEString::Parse("\"", s));
  EXPECT_FALSE(TFLEString::Parse("abc", s));
  EXPECT_FALSE(TFLEString::Parse("\"abc", s));
  EXPECT_EQ(s, "keep");
  EXPECT_TRUE(TFLEString::Parse("\"\"", s) && s.empty());
  EXPECT_TRUE(TFLEString::Parse("\" a\"b \"", s) && s == " a\"b ");
  TFLEEnum e("m", {"stretch", "fixWidth"}, nullptr, nullptr);
  int i = 5;
  EXPECT_TRUE(e.ParseValue("FIXWIDTH", i) && i == 1);
  EXPECT_FALSE(e.ParseValue("fix", i));
  EXPECT_FALSE(e.ParseValue("", i));
  EXPECT_EQ(i, 1);
}

TEST(FileEntries, FontPartsAreFoundAnywhereAndMissingOnesAreDefaults) {
  struct Case {
    const char* Text;
    TFontData Font;
  };
  const TFontData d;  // fields: name, size, colour, bold, italic, underline, strikeout
  for (const Case& c : std::initializer_list<Case>{
           {"name=\"Mono\" size=12 color=$000000FF", {"Mono", 12, 0xFF}},
           {"style=italic,bold color=255", {d.Name, d.Size, 255, true, true}},
           {"size=7 name=\"\"", {d.Name, 7}},
           {"name=\"A size=3\" size=x", {"A size=3", d.Size}},
           {"style=underline,strikeout size=8", {d.Name, 8, 0, false, false, true, true}},
           {"name=\"Open", {"Open"}},
           {"", d}}) {
    TFontData f{"Other", 99, 5, true, true, true, true};
    EXPECT_TRUE(TFLEFont::Parse(c.Text, f));
    EXPECT_EQ(f, c.Font) << c.Text;
  }
}

// ---------------------------------------------------------------- reading sections

TEST_F(FileLoader, ReorderedBlankAndUnknownLinesLoadTheSameValues) {
  LoadText(
      "IXTHING\n"
      "\n"
      "curveColor2 $00000009\n"
      "mode dots\n"
      "futureKey 17\n"
      "gain 2,25\n"
      "\n"
      "decimal 4\n"
      "position x=3 y=4\n"
      "denom \"n\"\n"
      "disabled true\n");
  TThing expected;
  expected.Curve[2] = 9;
  expected.Mode = 2;
  expected.Gain = 2.25;
  expected.Decimals = 4;
  expected.Left = 3;
  expected.Top = 4;
  expected.Denom = "n";
  expected.Disabled = true;
  EXPECT_EQ(Only(), expected);
}

TEST_F(FileLoader, LineEndsAndMissingFinalLineFeed) {
  for (const char* text : {"IXTHING\rdecimal 4\rgain 3", "IXTHING\r\ndecimal 4\r\ngain 3",
                           "IXTHING\ndecimal 4\n\rgain 3\n"}) {
    TProject p;
    gProject = &p;
    ProjectFileLoad().LoadProjectText(&p, text);
    ASSERT_EQ(p.Sheets[0]->Things.size(), 1u) << text;
    EXPECT_EQ(p.Thing(0, 0).Decimals, 4) << text;
    EXPECT_EQ(p.Thing(0, 0).Gain, 3.0) << text;
  }
  gProject = &Loaded;
}

TEST_F(FileLoader, BadValuesKeepTheirFieldsAndTheRestLoads) {
  LoadText(
      "IXTHING\n"
      "disabled yes\n"
      "denom \"unclosed\n"
      "position x=-5 y=10\n"
      "size x=1 y=99999999999\n"
      "decimal -\n"
      "gain 1e400\n"
      "bckGndColor $XYZ\n"
      "mode loud\n"
      "curveColor0 4294967296\n"
      "curveColor1 $00000042\n");
  TThing expected;
  expected.Curve[1] = 0x42;
  EXPECT_EQ(Only(), expected);
}

TEST_F(FileLoader, UnknownHeadersAndStrayLinesAreSkipped) {
  LoadText(
      "decimal 9\n"
      "garbage before any section\n"
      "IXNOSUCHTHING\n"
      "decimal 8\n"
      "IXSHEET\n"
      "name \"first\"\n"
      "IXTHING\n"
      "decimal 7\n"
      "IXSHEET extra words\n"
      "name \"second\"\n"
      "Imposter line\n"
      "name \"lost\"\n");
  ASSERT_EQ(Loaded.Sheets.size(), 2u);
  EXPECT_EQ(Loaded.Sheets[0]->Sheet.Name, "first");
  EXPECT_EQ(Loaded.Sheets[1]->Sheet.Name, "second");
  ASSERT_EQ(Loaded.Sheets[0]->Things.size(), 1u);
  EXPECT_EQ(Loaded.Thing(0, 0).Decimals, 7);
}

TEST(FileSections, HeaderPrefersExactNameOverEarlierPrefix) {
  TFLSetList list;
  TFLSet led("IXLED", nullptr, &list), bar("IXLEDBAR", nullptr, &list);
  EXPECT_EQ(FindSection(list, "IXLEDBAR"), &bar);
  EXPECT_EQ(FindSection(list, "IXLEDBAR  "), &bar);
  EXPECT_EQ(FindSection(list, "IXLED"), &led);
  EXPECT_EQ(FindSection(list, "IXLEDX"), &led);  // the first name that begins the line
  EXPECT_EQ(FindSection(list, "IXLE"), nullptr);
  {
    TFLSet gone("IXGONE", nullptr, &list);
    EXPECT_EQ(list.size(), 3u);
  }
  EXPECT_EQ(list.size(), 2u);  // a destroyed definition leaves the list
}

TEST_F(FileLoader, SectionWithoutTargetSkipsItsLines) {
  TFLSetList list;
  int made = 0;
  TFLSet none(
      "IXNONE", [] { return static_cast<void*>(nullptr); }, &list);
  TFLSet count(
      "IXCOUNT", [&made] { return static_cast<void*>(&++made); }, &list);
  TFLBinder<int>(none).Add<TFLEInteger>(
      "v", [](int& x) { return x; }, [](int& x, int v) { x = v; });
  TFileLoad f;
  f.OpenText("IXNONE\nv 5\nIXCOUNT\nIXCOUNT\n");
  f.LoadSections(list);
  EXPECT_EQ(made, 2);
}

TEST_F(FileLoader, GarbageAndHugeLinesNeverBreakTheLoad) {
  std::string text = "IXTHING\ndecimal 3\n";
  text += "denom \"" + std::string(10 << 20, 'x') + "\"\n";
  for (int i = 0; i < 4096; ++i)
    text += static_cast<char>((i * 7919) & 0xFF);
  text += "\nIXTHING\ngain 4,5";
  LoadText(text);
  ASSERT_GE(Loaded.Sheets[0]->Things.size(), 2u);
  EXPECT_EQ(Loaded.Thing(0, 0).Decimals, 3);
  EXPECT_EQ(Loaded.Thing(0, 0).Denom.size(), size_t{10} << 20);
  EXPECT_EQ(Loaded.Sheets[0]->Things.back()->Gain, 4.5);
}

TEST_F(FileLoader, LoadingIsSetOnlyWhileReading) {
  bool seen = false;
  TFLSet probe("IXPROBE", [] { return static_cast<void*>(&gProject->General_); });
  TFLBinder<TGeneral>(probe).Add<TFLEBool>(
      "probe", [](TGeneral&) { return true; }, [&seen](TGeneral&, bool) { seen = Loading(); });
  LoadText("IXPROBE\nprobe true\n");
  EXPECT_TRUE(seen);
}

TEST(FileSections, ValueCopyCopiesEveryEntryWithItsIndex) {
  TThing a, b;
  a.Denom = "copy me";
  a.Left = -4;
  a.Font.Bold = true;
  a.Curve[0] = 10;
  a.Curve[2] = 30;
  Sections().Thing.ValueCopy(&a, &b);
  EXPECT_EQ(b, a);
}

TEST(FileSections, AccessorsSeeIndexAndTarget) {
  TFLSetList list;
  int obj = 0;
  std::vector<std::pair<int, void*>> seen;
  TFLSet set(
      "IXIDX", [&obj] { return static_cast<void*>(&obj); }, &list);
  for (int i = 4; i < 6; ++i)
    TFLBinder<int>(set).Add<TFLEInteger>(
        "k" + std::to_string(i),
        [&seen](int&) {
          seen.emplace_back(TFLEintrag::CurrentIndex(), TFLSet::CurrentTarget());
          return 0;
        },
        [](int&, int) {}, i);
  TFileLoad f;
  char tmpl[] = "/tmp/tessaro_idx_XXXXXX";
  std::string dir = mkdtemp(tmpl);
  ASSERT_TRUE(f.OpenWrite(dir + "/f"));
  set.SaveSet(f, &obj);
  EXPECT_TRUE(f.Close());
  fs::remove_all(dir);
  EXPECT_EQ(seen, (std::vector<std::pair<int, void*>>{{4, &obj}, {5, &obj}}));
  EXPECT_EQ(TFLSet::CurrentTarget(), nullptr);
}

TEST(FileLoad, ReadLineWithPushBack) {
  TFileLoad f;
  f.OpenText("a\r\rb\r\nc");
  std::string_view l;
  std::vector<std::string> lines;
  while (f.ReadLine(l)) {
    lines.emplace_back(l);
    if (l == "b" && lines.size() == 3) f.PushBack(l);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "b", "c"}));
  f.Close();
  EXPECT_FALSE(f.ReadLine(l));
}

TEST_F(FileLoader, WrittenLinesLoseTrailingBlanksAndInnerLineBreaks) {
  TFileLoad f;
  ASSERT_TRUE(f.OpenWrite(Path("w")));
  f.WriteLine("a \t\x01 ");
  f.WriteLine("denom \"x\nIXSHEET\rz\"");
  f.WriteLine("");
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(Read(Path("w")), "a\ndenom \"x IXSHEET z\"\n\n");
}
