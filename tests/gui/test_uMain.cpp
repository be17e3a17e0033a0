#include "ui/uMain.h"

#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "core/uConvert.h"
#include "gui_util.h"
#include "instruments/uIXInOut.h"
#include "instruments/uIXNumericDisp.h"
#include "instruments/uSendAnim.h"
#include "ports/uPorts.h"
#include "ui/uCustomButtons.h"
#include "ui/uTabBar.h"

using namespace tessaro;

namespace {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TMainForm>();
    Form->InitMainWindow();
    Form->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    Form.reset();
    TPortList::Instance().RemoveAll();
  }
  std::unique_ptr<TMainForm> Form;
};

TEST_F(MainFormTest, StartsInEditModeWithTheGeometryOfTheForm) {
  EXPECT_EQ(Form->Mode(), mdEdit);
  EXPECT_EQ(Form->RibbonPages()->currentIndex(), mdEdit);
  EXPECT_EQ(Form->Ribbon()->height(), 120);
  EXPECT_EQ(Form->ModeTabs()->geometry(), QRect(120, 0, Form->width() - 255, 30));
  EXPECT_EQ(Form->StatusText()->text(), "Getrennt");
  EXPECT_FALSE(Form->AliveMarker()->isVisible());
  EXPECT_EQ(Form->WorkArea()->y(), 120);
  // The active tab is drawn 2 pixels wider on each side at full height.
  TTabElement* active = Form->ModeTabs()->Tab(mdEdit);
  EXPECT_EQ(active->geometry(), QRect(103 - 2, 0, 104, 30));
  EXPECT_EQ(Form->ModeTabs()->Tab(0)->geometry(), QRect(2, 4, 100, 26));
  Shot(Form.get(), "main_edit");
}

TEST_F(MainFormTest, RunModeCompilesAndEditDisconnects) {
  Form->SetMode(mdRun);
  EXPECT_TRUE(Form->CompileStateShown());
  Form->Terminal().Connect();  // no interfaces: connects
  EXPECT_TRUE(Form->Terminal().IsConnected());
  EXPECT_FALSE(Form->CompileStateShown());  // connecting ends the compile-state display
  EXPECT_EQ(Form->StatusText()->text(), "Verbunden");
  EXPECT_TRUE(Form->AliveMarker()->isVisible());
  EXPECT_TRUE(Form->BlinkTimer().isActive());
  Form->SetMode(mdEdit);
  EXPECT_FALSE(Form->Terminal().IsConnected());
  EXPECT_FALSE(Form->BlinkTimer().isActive());
  Form->SetMode(mdRun);
  EXPECT_FALSE(Form->Terminal().IsConnected());  // Run does not reconnect
}

TEST_F(MainFormTest, FailedConnectBringsTheInterfacePageForward) {
  auto* p = new RecordingPort;
  p->Opens = false;
  Form->SetMode(mdRun);
  Form->Terminal().Connect();
  EXPECT_FALSE(Form->Terminal().IsConnected());
  EXPECT_EQ(Form->Mode(), mdInterface);
  EXPECT_EQ(Form->StatusText()->text(), "Getrennt");
}

TEST_F(MainFormTest, ReturnInTheReceiveFieldSimulatesACommand) {
  auto* disp = static_cast<TIXNumericDisp*>(Form->AddInstrument("TIXNumericDisp"));
  ASSERT_TRUE(disp);
  disp->SetSource("#1");
  Form->SetMode(mdRun);
  Form->RecvEdit()->setText("#1F10,5;");
  QTest::keyClick(Form->RecvEdit(), Qt::Key_Return);
  EXPECT_EQ(Form->RecvEdit()->text(), "#1F10,5;");  // nothing inserted
  EXPECT_EQ(Form->Terminal().ChannelValue(1), 10.5);
  // Not connected: one blink tick ran, so the display shows the value already.
  EXPECT_EQ(disp->ValueLabel()->text(), QString("10") + QChar(SystemDecimalSeparator()) + "5");
  EXPECT_TRUE(Form->RecvStrip()->findChild<QWidget*>("SendAnimBar"));
}

TEST_F(MainFormTest, SendFieldSendsOnChannelOneOnlyWhenConnected) {
  auto* p = new RecordingPort;
  Form->SetMode(mdRun);
  Form->SendSimulationClick();
  Form->Terminal().Connect();
  Form->SendEdit()->setText("#300SHallo;");
  QTest::keyClick(Form->SendEdit(), Qt::Key_Return);
  ASSERT_TRUE(WaitUntil([&] { return p->Taken().size() == 1; }));
  EXPECT_EQ(p->Taken()[0], "#300SHallo;");
}

TEST_F(MainFormTest, NotificationsShowOnTheBlinkTickAndClearOnReset) {
  QLabel* l = Form->NotificationLabel(TNotification::ReceiveLoss);
  EXPECT_FALSE(l->isEnabled());
  Notifications.ReceiveLoss.store(true);
  Form->Terminal().BlinkTimerTick();
  EXPECT_TRUE(l->isEnabled());
  EXPECT_FALSE(Notifications.ReceiveLoss.load());
  Form->ValueResetClick();
  EXPECT_FALSE(l->isEnabled());
}

TEST_F(MainFormTest, CompileStateCheckBox) {
  auto* disp = static_cast<TIXNumericDisp*>(Form->AddInstrument("TIXNumericDisp"));
  disp->SetFrameColor(0x123456);
  Form->CompileStateBox()->setChecked(false);
  Form->SetMode(mdRun);
  EXPECT_FALSE(Form->CompileStateShown());
  EXPECT_EQ(disp->FramePenColor(), 0x123456u);
  Form->CompileStateBox()->setChecked(true);
  EXPECT_TRUE(Form->CompileStateShown());
  EXPECT_NE(disp->FramePenColor(), 0x123456u);
  Form->CompileStateBox()->setChecked(false);
  EXPECT_EQ(disp->FramePenColor(), 0x123456u);
}

TEST_F(MainFormTest, FullWindowAndFullScreenViews) {
  Form->ViewMode().EnterFullWindow();
  EXPECT_FALSE(Form->Ribbon()->isVisible());
  EXPECT_EQ(Form->WorkArea()->y(), 0);
  EXPECT_TRUE(Form->FullWindowBar()->isVisible());
  EXPECT_EQ(Form->AliveMarker()->parentWidget(), Form->FullWindowBar());
  Form->ViewMode().EnterFullScreen();  // only from the normal view
  EXPECT_EQ(Form->ViewMode().View(), TViewMode::FullWindow);
  Form->ViewMode().LeaveFullWindow();
  EXPECT_TRUE(Form->Ribbon()->isVisible());
  EXPECT_EQ(Form->WorkArea()->y(), 120);
  EXPECT_EQ(Form->AliveMarker()->parentWidget(), Form->StatusShape());

  Form->showMaximized();
  QApplication::processEvents();
  Form->ViewMode().EnterFullScreen();
  Form->ViewMode().EnterFullScreen();
  EXPECT_EQ(Form->ViewMode().View(), TViewMode::FullScreen);
  EXPECT_TRUE(Form->windowState() & Qt::WindowFullScreen);
  Form->ViewMode().LeaveFullScreen();
  EXPECT_TRUE(Form->windowState() & Qt::WindowMaximized);
}

TEST_F(MainFormTest, BarConnectButtonSwitchesToRunFirst) {
  Form->ViewMode().EnterFullWindow();
  auto buttons = Form->FullWindowBar()->findChildren<TIconButton*>();
  ASSERT_EQ(buttons.size(), 3);
  emit buttons[0]->clicked();
  EXPECT_EQ(Form->Mode(), mdRun);
  EXPECT_TRUE(Form->Terminal().IsConnected());
  emit buttons[1]->clicked();
  EXPECT_FALSE(Form->Terminal().IsConnected());
}

TEST_F(MainFormTest, ClosingDisconnects) {
  Form->SetMode(mdRun);
  Form->Terminal().Connect();
  Form->close();
  EXPECT_FALSE(Form->Terminal().IsConnected());
}

}  // namespace
