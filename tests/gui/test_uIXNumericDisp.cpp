#include "instruments/uIXNumericDisp.h"

#include <QTest>

#include <gtest/gtest.h>

#include <mutex>

#include "core/uConvert.h"
#include "core/uTerminal.h"
#include "gui_util.h"
#include "instruments/uIXInOut.h"
#include "instruments/uSendAnim.h"
#include "ports/uPorts.h"
#include "ui/uSheet.h"

using namespace tessaro;

namespace {

class InstrumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemDecimalSeparator('.');
    SetOutputDecimalSeparator('.');
    Sheet = std::make_unique<TSheet>(nullptr);
    Sheet->resize(800, 600);
    Sheet->show();
    Term.SetPorts(&TPortList::Instance());
    SetInstrumentTerminal(&Term);
  }
  void TearDown() override {
    Term.Disconnect();
    Sheet.reset();
    TPortList::Instance().RemoveAll();
    SetInstrumentTerminal(nullptr);
  }
  int Bars(QWidget* w) { return static_cast<int>(w->findChildren<QWidget*>("SendAnimBar").size()); }

  TTerminal Term;
  std::unique_ptr<TSheet> Sheet;
};

TEST_F(InstrumentTest, NumericDisplayFormatsCutsAndAppendsTheUnit) {
  TIXNumericDisp d(Sheet.get());
  EXPECT_EQ(d.GetWidth(), 200);
  EXPECT_EQ(d.GetHeight(), 50);
  EXPECT_EQ(d.ValueLabel()->text(), "0");
  d.NewValue(13.3);
  d.UpdateDisplay();
  EXPECT_EQ(d.ValueLabel()->text(), "13.3");
  d.SetFixedDecimals(true);
  EXPECT_EQ(d.ValueLabel()->text(), "13.30");
  d.SetUnit("V");
  d.SetShowUnit(true);
  EXPECT_EQ(d.ValueLabel()->text(), "13.30V");
  d.SetUnit("abcdefghijkl");
  EXPECT_EQ(d.GetUnit(), "abcdefghij");
  d.SetDecimals(25);
  EXPECT_EQ(d.GetDecimals(), 20);
  d.SetDecimals(-1);
  EXPECT_EQ(d.GetDecimals(), 0);
  d.NewText("text");  // stored, not shown
  d.UpdateDisplay();
  EXPECT_EQ(d.ValueLabel()->text(), "13abcdefghij");
}

TEST_F(InstrumentTest, NumericDisplayCaptionAndLayout) {
  TIXNumericDisp d(Sheet.get());
  d.SetDenom("Temp");
  d.SetSource("#5+1");
  d.SetShowName(true);
  d.SetShowSource(true);
  EXPECT_EQ(d.NameLabel()->text(), "Temp=#5+1=");
  int fw = d.GetFrameWidth();
  int w = QFontMetrics(d.NameLabel()->font()).horizontalAdvance("Temp=#5+1=");
  EXPECT_EQ(d.NameLabel()->geometry(), QRect(fw + 3, fw, w, 50 - 2 * fw));
  EXPECT_EQ(d.ValueLabel()->x(), fw + w - 3);
  EXPECT_EQ(d.ValueLabel()->width(), qMax(0, 200 - 2 * fw - w));
  Shot(&d, "numeric_display");
}

TEST_F(InstrumentTest, NumericOutputKeyFilterAndSendNumber) {
  auto* port = new RecordingPort;
  (void)port;
  TIXNumericOut o(Sheet.get());
  o.SetSource("#7");
  o.Edit()->clear();
  o.SetIntOnly(true);
  QTest::keyClicks(o.Edit(), "1,5-x");
  EXPECT_EQ(o.Edit()->text(), "15-");
  o.SetIntOnly(false);
  o.Edit()->clear();
  QTest::keyClicks(o.Edit(), "1,5");
  EXPECT_EQ(o.Edit()->text(), "1,5");

  o.SendNumber();  // not connected: yellow
  EXPECT_EQ(Bars(&o), 1);
  Term.Connect();
  o.SendNumber();  // not compiled: red, nothing sent
  o.CompiledOk = true;
  o.OutputChannel = 7;
  QTest::keyClick(o.Edit(), Qt::Key_Return);  // Enter sends and is swallowed
  EXPECT_EQ(o.Edit()->text(), "1,5");
  o.SetEditText("abc");
  o.SendNumber();  // not a number: nothing sent
  ASSERT_TRUE(WaitUntil([&] { return port->Taken().size() == 1; }));
  EXPECT_EQ(port->Taken()[0], "#7F1.5;");
  // Every attempt played its animation; they vanish after 150 ms.
  EXPECT_EQ(Bars(&o), 4);
  EXPECT_TRUE(WaitUntil([&] { return Bars(&o) == 0; }, 2000));
}

TEST_F(InstrumentTest, NumericOutputLayout) {
  TIXNumericOut o(Sheet.get());
  o.SetUnit("V");
  o.SetShowUnit(true);
  int fw = o.GetFrameWidth();
  int bh = 40 - 2 * fw;
  EXPECT_EQ(o.Button()->geometry(), QRect(200 - fw - bh, fw, bh, bh));
  EXPECT_EQ(o.Edit()->x(), fw);
  EXPECT_LT(o.Edit()->geometry().right(), o.UnitLabel()->x());
  Shot(&o, "numeric_out");
}

TEST_F(InstrumentTest, InOutForwardsNumbersAndTextsWhenConnected) {
  auto* port = new RecordingPort;
  TIXInOut io(Sheet.get());
  io.SetSendAnimation(true);
  io.CompiledOk = true;
  io.OutputChannelElement()->CompiledOk = true;
  io.OutputChannelElement()->OutputChannel = 6;
  EXPECT_EQ(io.GetDenom(), "E/A-Kanal");
  EXPECT_EQ(io.StateColor(), clCompiledOk);

  io.NewValue(3);  // not connected: nothing sent
  Term.Connect();
  io.NewValue(6);
  io.NewText("Hallo");
  ASSERT_TRUE(WaitUntil([&] { return port->Taken().size() == 2; }));
  EXPECT_EQ(port->Taken(), (std::vector<std::string>{"#6F6;", "#6SHallo;"}));
  EXPECT_TRUE(WaitUntil([&] { return Bars(&io) > 0; }));

  io.OutputChannelElement()->CompiledOk = false;
  EXPECT_EQ(io.StateColor(), clSilver);
  io.OutputChannelElement()->CompiledOk = true;
  io.CompiledOk = false;
  EXPECT_EQ(io.StateColor(), clNotCompiled);
}

TEST_F(InstrumentTest, AnimationFromAnotherThreadIsDroppedForAHiddenSheet) {
  TIXNumericDisp d(Sheet.get());
  std::thread t([&] { d.ShowSendAnimation(TAnimStyle::Sent); });
  t.join();
  EXPECT_TRUE(WaitUntil([&] { return Bars(&d) == 1; }));
  EXPECT_TRUE(WaitUntil([&] { return Bars(&d) == 0; }));
  Sheet->hide();
  std::thread t2([&] { d.ShowSendAnimation(TAnimStyle::Sent); });
  t2.join();
  QApplication::processEvents();
  EXPECT_EQ(Bars(&d), 0);
}

TEST_F(InstrumentTest, AnimationSlidesFromEightyPixelsLeftOfTheEdge) {
  QWidget w;
  w.resize(200, 40);
  TAnim* a = TAnim::Start(&w, 1);
  QWidget* bar = a->Bar();
  EXPECT_EQ(bar->geometry(), QRect(120, 0, 40, 6));
  EXPECT_TRUE(WaitUntil([&] { return w.findChildren<QWidget*>("SendAnimBar").isEmpty(); }, 2000));
}

}  // namespace
