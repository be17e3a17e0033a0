#include "ui/uProject.h"

#include <QScrollArea>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "gui_util.h"
#include "instruments/uIXInOut.h"
#include "instruments/uIXNumericDisp.h"
#include "persist/uFileHandling.h"
#include "persist/uGlobalSettings.h"
#include "ports/uPorts.h"
#include "ports/uUDPPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include "ui/uMain.h"
#include "ui/uRunSheet.h"
#include "ui/uTabLeiste.h"

using namespace tessaro;

namespace {

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& name, const std::string& text) {
  std::ofstream out(name, std::ios::binary);
  out << text;
}

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { Start({}); }
  void Start(std::vector<std::string> args) {
    Form.reset();
    TPortList::Instance().RemoveAll();
    SetProjectFile("");
    Form = std::make_unique<TMainForm>();
    Form->Arguments = std::move(args);
    Form->InitMainWindow();
    Form->Project().OnMessage = [this](const QString& m) { Messages.push_back(m); };
    Form->SecondInit();
    Form->show();
  }
  void TearDown() override {
    Form.reset();
    TPortList::Instance().RemoveAll();
  }
  std::string Path(const char* name) { return (Dir.path() + "/" + name).toStdString(); }
  int InstrumentCount(int sheet) {
    int n = 0;
    for (TIXElement* e : Form->Sheets().Sheets[static_cast<size_t>(sheet)]->Instruments())
      if (!e->Attached) ++n;
    return n;
  }
  template <class T>
  T* Nth(int sheet, int i) {
    int k = 0;
    for (TIXElement* e : Form->Sheets().Sheets[static_cast<size_t>(sheet)]->Instruments())
      if (!e->Attached && k++ == i) return dynamic_cast<T*>(e);
    return nullptr;
  }
  bool Load(const std::string& file) {
    Form->Project().NewProject();
    SetProjectFile(file);
    return Form->Project().LoadProjectFile();
  }

  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  std::vector<QString> Messages;
};

TEST_F(ProjectTest, BundledDemoLoadsItsSheetsAndInstruments) {
  ASSERT_TRUE(Load(TESSARO_SOURCE_DIR "/examples/demo.tess"));
  ASSERT_EQ(Form->Sheets().SheetCount(), 3);
  TTabLeiste* tabs = Form->RunSheet()->TabStrip();
  EXPECT_EQ(tabs->TabCaption(0), "Messwerte");
  EXPECT_EQ(tabs->TabCaption(2), "Steuerung");
  EXPECT_EQ(InstrumentCount(0), 4);
  EXPECT_EQ(InstrumentCount(2), 3);
  auto* d = Nth<TIXNumericDisp>(0, 0);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->GetSource(), "#1");
  EXPECT_EQ(d->GetLeft(), 20);
  EXPECT_TRUE(d->GetShowUnit());
  auto* io = Nth<TIXInOut>(2, 1);
  ASSERT_TRUE(io);
  EXPECT_EQ(io->GetOutSource(), "#20");
  EXPECT_FALSE(Form->Project().LoadingCover()->isVisible());
  // Written back, it is the same file: every key of every section in its order.
  std::string copy = Path("demo-copy.tess");
  ASSERT_TRUE(ProjectFileLoad().SaveProject(Form->Project(), copy));
  EXPECT_EQ(ReadFile(copy), ReadFile(TESSARO_SOURCE_DIR "/examples/demo.tess"));
  Form->SetMode(mdRun);
  Form->RunSheet()->SelectSheet(0);
  Form->Terminal().ReceiveSimulation("#1F3,14159;");
  Shot(Form.get(), "demo_run");
  EXPECT_TRUE(d->CompiledOk);
  EXPECT_TRUE(io->OutputChannelElement()->CompiledOk);
}

TEST_F(ProjectTest, SaveAndLoadRoundTripKeepsEverything) {
  TRunSheet* run = Form->RunSheet();
  run->TabStrip()->AddTab("Zwei");
  run->TabStrip()->AddTab("Drei");
  for (int s = 0; s < 3; ++s) {
    run->SelectSheet(s);
    auto* d = static_cast<TIXNumericDisp*>(Form->AddInstrument("TIXNumericDisp"));
    d->SetSource("#" + std::to_string(s + 1) + "*2");
    d->SetDenom("Wert \"" + std::to_string(s) + "\"");
    d->SetDecimals(3);
    d->SetBackColor(0x123456);
    auto* o = static_cast<TIXNumericOut*>(Form->AddInstrument("TIXNumericOut"));
    o->SetSource("#30");
    o->SetEditText("12,5");
    o->SetIntOnly(true);
    auto* io = static_cast<TIXInOut*>(Form->AddInstrument("TIXInOut"));
    io->SetSource("#1*10");
    io->SetOutSource("#20");
    io->SetShowDenom(false);
  }
  Form->Sheets().Sheets[1]->Background.SetRunColor(0x00FF00);
  std::string first = Path("a.tess");
  Form->Project().AskSaveFile = [&] { return QString::fromStdString(first); };
  ASSERT_TRUE(Form->Project().SaveProjectAs());
  EXPECT_TRUE(Messages.empty());

  ASSERT_TRUE(Load(first));
  ASSERT_EQ(Form->Sheets().SheetCount(), 3);
  EXPECT_EQ(run->TabStrip()->TabCaption(1), "Zwei");
  EXPECT_EQ(Form->Sheets().Sheets[1]->Background.RunColor(), 0x00FF00u);
  for (int s = 0; s < 3; ++s)
    EXPECT_EQ(InstrumentCount(s), 3) << s;
  EXPECT_EQ(Nth<TIXNumericDisp>(2, 0)->GetDenom(), "Wert \"2\"");
  EXPECT_EQ(Nth<TIXNumericOut>(1, 1)->GetEditText(), "12,5");
  EXPECT_FALSE(Nth<TIXInOut>(0, 2)->GetShowDenom());

  std::string second = Path("b.tess");
  ASSERT_TRUE(ProjectFileLoad().SaveProject(Form->Project(), second));
  EXPECT_EQ(ReadFile(first), ReadFile(second));
}

TEST_F(ProjectTest, HandWrittenFileWithReorderedAndUnknownLines) {
  std::string f = Path("hand.tess");
  WriteFile(f,
            "garbage before any section\r\n"
            "IXSHEET\r\nname \"Erstes\"\r\n\r\n"
            "IXNUMERICDISP\r\nsize x=300 y=80\r\nsource \"#5+1\"\r\nfuturekey 17\r\n"
            "decimal 4\rposition x=-5 y=10\rdenom \"Vorne\"\n"
            "IXNOSUCHTHING\nsource \"#9\"\n"
            "IXSHEET\nname \"Zweites\"\npicWidth 12000\npicMode wobble\n"
            "IXINOUT\noutSource \"#7\"\ninSource \"#3\"");  // no final line feed
  ASSERT_TRUE(Load(f));
  ASSERT_EQ(Form->Sheets().SheetCount(), 2);
  EXPECT_EQ(Form->RunSheet()->TabStrip()->TabCaption(0), "Erstes");
  auto* d = Nth<TIXNumericDisp>(0, 0);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->GetWidth(), 300);
  EXPECT_EQ(d->GetSource(), "#5+1");
  EXPECT_EQ(d->GetDecimals(), 4);
  EXPECT_EQ(d->GetDenom(), "Vorne");
  EXPECT_EQ(d->GetLeft(), 0);  // x=-5 is not restored: the creation values stay
  EXPECT_EQ(d->GetTop(), 0);
  EXPECT_EQ(InstrumentCount(0), 1);
  auto* io = Nth<TIXInOut>(1, 0);
  ASSERT_TRUE(io);
  EXPECT_EQ(io->GetOutSource(), "#7");
  EXPECT_EQ(io->GetSource(), "#3");
  EXPECT_EQ(Form->Sheets().Sheets[1]->Background.PictureMode(), 1);
}

TEST_F(ProjectTest, UnreadableFileGivesTheMessageAndAnEmptyProject) {
  Form->AddInstrument("TIXNumericDisp");
  std::string missing = Path("missing.tess");
  Form->Project().AskOpenFile = [&] { return QString::fromStdString(missing); };
  Form->Project().OpenProject();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0], QString::fromUtf8("Fehler beim Öffnen der Datei."));
  EXPECT_EQ(InstrumentCount(0), 0);
  EXPECT_EQ(Form->Mode(), mdEdit);
  EXPECT_EQ(ProjectFile(), missing);
  EXPECT_TRUE(Form->windowTitle().startsWith("missing - "));
}

TEST_F(ProjectTest, SaveFailureLeavesTheOldFile) {
  Form->Project().AskSaveFile = [] { return QString("/nonexistent-dir/x.tess"); };
  Form->Project().SaveProjectAs();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_TRUE(Messages[0].startsWith("Fehler beim Speichern"));
  Form->Project().AskSaveFile = [] { return QString(); };  // cancelled: nothing
  Messages.clear();
  SetProjectFile("");
  Form->Project().SaveCurrentProject();
  EXPECT_TRUE(Messages.empty());
}

TEST_F(ProjectTest, NewProjectKeepsOneCleanSheet) {
  Form->RunSheet()->TabStrip()->AddTab("Zwei");
  Form->RunSheet()->SelectSheet(1);
  Form->AddInstrument("TIXInOut");
  Form->Sheets().Sheets[0]->Background.SetRunColor(0x010203);
  Form->Project().NewProject();
  EXPECT_EQ(Form->Sheets().SheetCount(), 1);
  EXPECT_EQ(InstrumentCount(0), 0);
  EXPECT_EQ(Form->Sheets().Sheets[0]->Background.RunColor(), TSheetBckgnd::DefaultRunColor);
  EXPECT_EQ(Form->Mode(), mdEdit);
  EXPECT_EQ(Form->windowTitle(), "Tessaro");
}

TEST_F(ProjectTest, CommandLineLoadsRunsAndConnects) {
  std::string f = Path("cl.tess");
  WriteFile(f, "IXSHEET\nname \"A\"\nIXNUMERICDISP\nsource \"#1\"\n");
  Start({f, "-connect"});
  EXPECT_EQ(Form->Mode(), mdRun);
  EXPECT_TRUE(Form->Terminal().IsConnected());
  EXPECT_EQ(InstrumentCount(0), 1);
  EXPECT_TRUE(Form->windowTitle().startsWith("cl - "));

  Start({Path("nothere.tess")});
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_TRUE(Messages[0].startsWith(QString::fromUtf8("Fehler beim Öffnen der Datei \"")));
  EXPECT_EQ(Form->Mode(), mdEdit);
  EXPECT_EQ(InstrumentCount(0), 0);
}

// A peer on 127.0.0.1 that sends to the project's interface and hears its replies.
struct UdpPeer {
  int Fd = socket(AF_INET, SOCK_DGRAM, 0);
  int Port = 0;
  UdpPeer() {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
    Port = ntohs(a.sin_port);
    timeval tv{0, 20000};
    setsockopt(Fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  }
  ~UdpPeer() { close(Fd); }
  void SendTo(int port, const std::string& text) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    sendto(Fd, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  std::string Receive() {
    char buf[512];
    ssize_t n = recv(Fd, buf, sizeof buf, 0);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }
};

int FreeUdpPort() {
  UdpPeer probe;
  return probe.Port;
}

TEST_F(ProjectTest, LiveDashboardOverARealUdpInterface) {
  UdpPeer device;
  int port = FreeUdpPort();
  std::string f = Path("udp.tess");
  WriteFile(f, "IXUDPPORT\ndisabled false\nip \"127.0.0.1\"\nport \"" + std::to_string(port) +
                   "\"\nclientIp \"127.0.0.1\"\nclientPort \"" + std::to_string(device.Port) +
                   "\"\nIXSHEET\nname \"A\"\nIXNUMERICDISP\nsource \"#5+1\"\ndecimal 2\n"
                   "IXNUMERICOUT\nsource \"#7\"\nedittext \"1,5\"\n"
                   "IXINOUT\ninSource \"#6\"\noutSource \"#8\"\n");
  Start({f, "-connect"});
  ASSERT_TRUE(Form->Terminal().IsConnected());
  EXPECT_EQ(Form->StatusText()->text(), "Verbunden");
  auto* d = Nth<TIXNumericDisp>(0, 0);
  device.SendTo(port, "#5F12,3;");
  ASSERT_TRUE(WaitUntil([&] { return d->ValueLabel()->text().startsWith("13"); }, 3000));

  // The numeric output sends with the output separator of the settings.
  GlobalSettings().SetDecimalChoice(dcComma);
  Nth<TIXNumericOut>(0, 1)->SendNumber();
  std::string got;
  ASSERT_TRUE(WaitUntil([&] { return !(got = device.Receive()).empty(); }));
  EXPECT_EQ(got, "#7F1,5;");
  GlobalSettings().SetDecimalChoice(dcPoint);

  // The in/out channel forwards numbers and, its input being one channel, texts.
  device.SendTo(port, "#6F3;");
  got.clear();
  ASSERT_TRUE(WaitUntil([&] { return !(got = device.Receive()).empty(); }));
  EXPECT_EQ(got, "#8F3;");
  device.SendTo(port, "#6SHallo;");
  got.clear();
  ASSERT_TRUE(WaitUntil([&] { return !(got = device.Receive()).empty(); }));
  EXPECT_EQ(got, "#8SHallo;");

  Form->SetMode(mdEdit);  // Edit disconnects
  EXPECT_FALSE(Form->Terminal().IsConnected());
  EXPECT_EQ(Form->StatusText()->text(), "Getrennt");
}

}  // namespace

namespace {

TEST_F(ProjectTest, BackgroundPictureIsStoredRelativeToTheProject) {
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(Qt::red);
  std::string pic = Path("bg.png");
  ASSERT_TRUE(img.save(QString::fromStdString(pic)));
  std::string file = Path("pic.tess");
  SetProjectFile(file);
  SetProjectPath(ExtractPath(file));
  Form->Sheets().Sheets[0]->Background.SetPictureFile(QString::fromStdString(pic));
  ASSERT_TRUE(ProjectFileLoad().SaveProject(Form->Project(), file));
  EXPECT_NE(ReadFile(file).find("picFile \"bg.png\""), std::string::npos);
  ASSERT_TRUE(Load(file));
  EXPECT_FALSE(Form->Sheets().Sheets[0]->Background.Picture().isNull());
}

TEST_F(ProjectTest, SheetsFollowTheTabStrip) {
  TRunSheet* run = Form->RunSheet();
  TTabLeiste* tabs = run->TabStrip();
  tabs->ContextNew();
  tabs->ContextNew();
  ASSERT_EQ(Form->Sheets().SheetCount(), 3);
  TSheet* first = Form->Sheets().Sheets[0];
  TSheet* third = Form->Sheets().Sheets[2];
  run->SelectSheet(1);
  Form->AddInstrument("TIXNumericDisp");
  tabs->ContextDelete(1);  // the active middle sheet: the first one is selected
  ASSERT_EQ(Form->Sheets().SheetCount(), 2);
  EXPECT_EQ(run->CurrentSheet(), first);
  EXPECT_TRUE(first->isVisible());
  tabs->ContextToRight(0);  // moves the first sheet behind the former third
  EXPECT_EQ(Form->Sheets().Sheets[0], third);
  EXPECT_EQ(run->CurrentSheet(), first);
  tabs->RenameTab(0, "Neu");
  EXPECT_EQ(run->GetSheetName(third), "Neu");
  tabs->ContextDelete(1);  // the active first... now second: its left neighbour takes over
  EXPECT_EQ(run->CurrentSheet(), third);
  tabs->ContextDelete(0);  // the only sheet stays
  EXPECT_EQ(Form->Sheets().SheetCount(), 1);
}

TEST_F(ProjectTest, DuplicateCopiesEverySetting) {
  auto* d = static_cast<TIXNumericDisp*>(Form->AddInstrument("TIXNumericDisp"));
  d->SetSource("#4*3");
  d->SetUnit("mA");
  d->SetDecimals(5);
  d->SetLeft(300);
  d->Duplicate();
  ASSERT_EQ(InstrumentCount(0), 2);
  auto* copy = Nth<TIXNumericDisp>(0, 1);
  EXPECT_EQ(copy->GetSource(), "#4*3");
  EXPECT_EQ(copy->GetUnit(), "mA");
  EXPECT_EQ(copy->GetDecimals(), 5);
  EXPECT_EQ(copy->GetLeft(), 0);
}

}  // namespace

namespace {

TEST_F(ProjectTest, SheetGrowsToScrollToFarInstruments) {
  QApplication::processEvents();
  TSheet* sheet = Form->Sheets().Sheets[0];
  QSize before = sheet->size();
  EXPECT_EQ(before, static_cast<QScrollArea*>(sheet->Box())->viewport()->size());
  auto* d = static_cast<TIXNumericDisp*>(Form->AddInstrument("TIXNumericDisp"));
  d->SetLeft(3000);
  d->SetTop(2000);
  EXPECT_GE(sheet->width(), 3200);
  EXPECT_GE(sheet->height(), 2050);
  d->SetLeft(10);
  d->SetTop(10);
  EXPECT_EQ(sheet->size(), before);  // back to the size of its box
}

}  // namespace
