#include "ui/uTabLeiste.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gui_util.h"

using namespace tessaro;

namespace {

// A strip on a small window with every callback writing to a log.
class TabStrip : public ::testing::Test {
 protected:
  void SetUp() override {
    Window = std::make_unique<QWidget>();
    Window->resize(600, 60);
    Strip = new TTabLeiste(Window.get());
    Strip->setGeometry(0, 40, 600, 20);
    Strip->OnSheetChange = [this] {
      Log.push_back("change " + Strip->TabCaption(Strip->ActiveIndex()).toStdString());
    };
    Strip->OnSheetAdd = [this] { Log.push_back("add"); };
    Strip->OnSheetDelete = [this](int i) { Log.push_back("delete " + std::to_string(i)); };
    Strip->OnSheetMove = [this](int a, int b) {
      Log.push_back("move " + std::to_string(a) + " " + std::to_string(b));
    };
    Window->show();
  }
  void TearDown() override {
    Strip->ContextMenu()->hide();
    Window.reset();
  }

  // Tabs captioned A, B, C, ... with the given one active and the log empty.
  void MakeTabs(const std::vector<QString>& captions, int active) {
    Strip->RenameTab(0, captions[0]);
    for (size_t i = 1; i < captions.size(); ++i)
      Strip->AddTab(captions[i]);
    Strip->SetActive(active);
    Log.clear();
  }

  std::vector<QString> Captions() const {
    std::vector<QString> out;
    for (int i = 0; i < Strip->Count(); ++i)
      out.push_back(Strip->TabCaption(i));
    return out;
  }

  QPoint Centre(int tab) const { return Strip->Tab(tab)->rect().center(); }

  std::unique_ptr<QWidget> Window;
  TTabLeiste* Strip = nullptr;
  std::vector<std::string> Log;
};

using Texts = std::vector<QString>;
using LogLines = std::vector<std::string>;

TEST_F(TabStrip, StartsWithOneActiveTab) {
  EXPECT_EQ(Strip->Count(), 1);
  EXPECT_EQ(Strip->ActiveIndex(), 0);
  EXPECT_EQ(Strip->TabCaption(0), "Blatt 1");
  EXPECT_TRUE(Strip->Tab(0)->Active);
  EXPECT_FALSE(Strip->LeftArrow()->isEnabled());
  EXPECT_FALSE(Strip->RightArrow()->isEnabled());
}

TEST_F(TabStrip, TabWidthFollowsBoldCaptionWithinLimits) {
  MakeTabs({"", QString(300, 'W'), "Messwerte Halle"}, 0);
  EXPECT_EQ(Strip->TabWidth(0), 80);
  EXPECT_EQ(Strip->TabWidth(1), 200);
  QFont bold = Strip->Tab(2)->font();
  bold.setBold(true);
  const int expected = QFontMetrics(bold).horizontalAdvance("Messwerte Halle") + 10 + 6;
  ASSERT_GT(expected, 80);
  EXPECT_EQ(Strip->TabWidth(2), expected);
  EXPECT_EQ(Strip->Tab(1)->width(), 200);
}

TEST_F(TabStrip, ActiveTabOverlapsItsNeighboursAndIsOnTop) {
  MakeTabs({"A", "B", "C"}, 1);
  const int left = TTabLeiste::ArrowWidth + 10 + 10;  // arrow, lead-in piece
  EXPECT_EQ(Strip->Overlap(), 10);
  EXPECT_EQ(Strip->Tab(0)->geometry(), QRect(left, 0, 80, 20));
  EXPECT_EQ(Strip->Tab(1)->geometry(), QRect(left + 80 - 10, 0, 100, 20));
  EXPECT_EQ(Strip->Tab(2)->geometry(), QRect(left + 160, 0, 80, 20));
  EXPECT_EQ(Strip->childAt(left + 75, 10), Strip->Tab(1));

  Strip->SetActive(2);  // the old one shrinks back
  EXPECT_EQ(Strip->Tab(1)->geometry(), QRect(left + 80, 0, 80, 20));
  EXPECT_EQ(Strip->Tab(2)->geometry(), QRect(left + 150, 0, 100, 20));
  EXPECT_EQ(Strip->PreviousIndex(), 1);
  Shot(Window.get(), "tabstrip_three");
}

TEST_F(TabStrip, ResizeSetsHeightsOverlapAndLeadIn) {
  MakeTabs({"A", "B"}, 0);
  Strip->resize(600, 30);
  EXPECT_EQ(Strip->Overlap(), 15);
  EXPECT_EQ(Strip->Dummy()->geometry(), QRect(TTabLeiste::ArrowWidth, 0, 25, 30));
  EXPECT_EQ(Strip->Tab(1)->height(), 30);
  EXPECT_EQ(Strip->Tab(0)->width(), Strip->TabWidth(0) + 30);
  EXPECT_EQ(Strip->RightArrow()->x(), 600 - TTabLeiste::ArrowWidth);
}

TEST_F(TabStrip, TabsBeyondTheRightArrowAreHiddenAndArrowsScroll) {
  // Tabs start at 36 and may reach 300 - 16 + 10 = 294: three 80-pixel tabs fit.
  Strip->resize(300, 20);
  MakeTabs({"A", "B", "C", "D", "E"}, 0);
  EXPECT_EQ(Strip->FirstVisible(), 0);
  EXPECT_EQ(Strip->LastVisible(), 2);
  EXPECT_TRUE(Strip->Tab(2)->isVisible());
  EXPECT_FALSE(Strip->Tab(3)->isVisible());
  EXPECT_FALSE(Strip->LeftArrow()->isEnabled());
  EXPECT_TRUE(Strip->RightArrow()->isEnabled());
  EXPECT_EQ(Strip->LeftArrow()->BitmapName(), "inaktiv_links");
  EXPECT_EQ(Strip->RightArrow()->BitmapName(), "aktiv_rechts");
  EXPECT_FALSE(TabArrowBitmap("aktiv_rechts").isNull());

  QTest::mouseClick(Strip->RightArrow(), Qt::LeftButton);
  EXPECT_EQ(Strip->FirstVisible(), 1);
  EXPECT_EQ(Strip->LastVisible(), 3);
  EXPECT_FALSE(Strip->Tab(0)->isVisible());
  EXPECT_TRUE(Strip->LeftArrow()->isEnabled());

  QTest::mouseClick(Strip->LeftArrow(), Qt::LeftButton);
  EXPECT_EQ(Strip->FirstVisible(), 0);
  QTest::mouseClick(Strip->LeftArrow(), Qt::LeftButton);  // disabled: nothing happens
  EXPECT_EQ(Strip->FirstVisible(), 0);

  Strip->SetActive(4);  // out of view: scrolled in
  EXPECT_EQ(Strip->FirstVisible(), 2);
  EXPECT_EQ(Strip->LastVisible(), 4);
  EXPECT_FALSE(Strip->RightArrow()->isEnabled());
  EXPECT_EQ(Strip->RightArrow()->BitmapName(), "inaktiv_rechts");
  Strip->SetActive(0);
  EXPECT_EQ(Strip->FirstVisible(), 0);
  EXPECT_EQ(Log, (LogLines{"change E", "change A"}));
}

TEST_F(TabStrip, SetActiveIgnoresCurrentAndOutOfRange) {
  MakeTabs({"A", "B", "C"}, 1);
  for (int i : {1, -1, 3, 100})
    Strip->SetActive(i);
  EXPECT_EQ(Strip->ActiveIndex(), 1);
  EXPECT_TRUE(Log.empty());
}

TEST_F(TabStrip, LeftClickSelectsUnlessThePointerMovedAway) {
  MakeTabs({"A", "B", "C"}, 0);
  QTest::mouseClick(Strip->Tab(2), Qt::LeftButton, {}, Centre(2));
  EXPECT_EQ(Strip->ActiveIndex(), 2);

  // Released 11 pixels away.
  QWidget* b = Strip->Tab(1);
  QTest::mousePress(b, Qt::LeftButton, {}, Centre(1));
  QTest::mouseRelease(b, Qt::LeftButton, {}, Centre(1) + QPoint(0, 11));
  EXPECT_EQ(Strip->ActiveIndex(), 2);

  // Moved away and back again before the release.
  QTest::mousePress(b, Qt::LeftButton, {}, Centre(1));
  const QPointF away = Centre(1) + QPoint(11, 0);
  QMouseEvent move(QEvent::MouseMove, away, b->mapToGlobal(away), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(b, &move);
  QTest::mouseRelease(b, Qt::LeftButton, {}, Centre(1));
  EXPECT_EQ(Strip->ActiveIndex(), 2);

  // Ten pixels are still a click.
  QTest::mousePress(b, Qt::LeftButton, {}, Centre(1));
  QTest::mouseRelease(b, Qt::LeftButton, {}, Centre(1) + QPoint(10, -2));
  EXPECT_EQ(Strip->ActiveIndex(), 1);
  EXPECT_EQ(Log, (LogLines{"change C", "change B"}));
}

TEST_F(TabStrip, RightClickOpensMenuOnlyWhenEditing) {
  MakeTabs({"A", "B", "C"}, 0);
  Strip->EditingEnabled = false;
  QTest::mouseClick(Strip->Tab(2), Qt::RightButton, {}, Centre(2));
  EXPECT_FALSE(Strip->ContextMenu()->isVisible());
  EXPECT_EQ(Strip->ContextTab(), -1);
  EXPECT_EQ(Strip->ActiveIndex(), 0);
  QTest::mouseClick(Strip->Tab(1), Qt::LeftButton, {}, Centre(1));  // still switches
  EXPECT_EQ(Strip->ActiveIndex(), 1);

  Strip->EditingEnabled = true;
  QTest::mouseClick(Strip->Tab(2), Qt::RightButton, {}, Centre(2));
  EXPECT_TRUE(WaitUntil([&] { return Strip->ContextMenu()->isVisible(); }));
  EXPECT_EQ(Strip->ContextTab(), 2);
  EXPECT_EQ(Strip->ActiveIndex(), 1);

  Texts texts;
  for (QAction* a : Strip->ContextMenu()->actions())
    texts.push_back(a->text());
  EXPECT_EQ(texts, (Texts{"Neues Blatt", "Blatt Löschen", "", "Nach Links", "Nach Rechts", "",
                          "Umbenennen"}));
  // The menu's "Nach Links" acts on the right-clicked tab.
  Strip->ContextMenu()->actions()[3]->trigger();
  EXPECT_EQ(Captions(), (Texts{"A", "C", "B"}));
  EXPECT_EQ(Log, (LogLines{"change B", "move 2 1"}));
}

TEST_F(TabStrip, NewSheetIsAppendedNumberedAndNotSelected) {
  Strip->ContextNew();
  Strip->ContextNew();
  EXPECT_EQ(Captions(), (Texts{"Blatt 1", "Blatt 2", "Blatt 3"}));
  EXPECT_EQ(Strip->ActiveIndex(), 0);
  EXPECT_EQ(Log, (LogLines{"add", "add"}));
  EXPECT_TRUE(Strip->Tab(2)->isVisible());
}

struct DeleteCase {
  int Active;
  int Deleted;
  Texts Left;
  int ActiveAfter;
  LogLines Log;
};

TEST_F(TabStrip, DeleteSelectsTheRightNeighbourAndKeepsActiveSheet) {
  const DeleteCase cases[] = {
      // Active middle: its left neighbour is selected.
      {1, 1, {"A", "C"}, 0, {"change A", "delete 1"}},
      // Active first: the former second becomes index 0.
      {0, 0, {"B", "C"}, 0, {"change B", "delete 0"}},
      {2, 2, {"A", "B"}, 1, {"change B", "delete 2"}},
      // Inactive tabs: the active sheet stays active under its new index.
      {2, 0, {"B", "C"}, 1, {"delete 0"}},
      {0, 2, {"A", "B"}, 0, {"delete 2"}},
      {1, 2, {"A", "B"}, 1, {"delete 2"}},
  };
  for (const DeleteCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "active " << c.Active << " deleted " << c.Deleted);
    Strip->Reset();
    MakeTabs({"A", "B", "C"}, c.Active);
    Strip->ContextDelete(c.Deleted);
    EXPECT_EQ(Captions(), c.Left);
    EXPECT_EQ(Strip->ActiveIndex(), c.ActiveAfter);
    EXPECT_EQ(Log, c.Log);
    for (int i = 0; i < Strip->Count(); ++i)
      EXPECT_EQ(Strip->Tab(i)->Active, i == c.ActiveAfter) << i;
  }
}

TEST_F(TabStrip, DeletingTheOnlyTabOrABadIndexDoesNothing) {
  EXPECT_FALSE(Strip->DeleteTab(0));
  MakeTabs({"A", "B"}, 0);
  EXPECT_FALSE(Strip->DeleteTab(2));
  EXPECT_FALSE(Strip->DeleteTab(-1));
  EXPECT_EQ(Strip->Count(), 2);
  EXPECT_TRUE(Log.empty());
}

TEST_F(TabStrip, DeletingKeepsTheScrolledViewInRange) {
  Strip->resize(300, 20);
  MakeTabs({"A", "B", "C", "D", "E"}, 4);
  ASSERT_EQ(Strip->FirstVisible(), 2);
  Strip->DeleteTab(0);
  EXPECT_EQ(Strip->FirstVisible(), 1);
  EXPECT_EQ(Strip->TabCaption(Strip->FirstVisible()), "C");
  for (int i = 3; i >= 1; --i)
    Strip->DeleteTab(i);
  EXPECT_EQ(Strip->Count(), 1);
  EXPECT_EQ(Strip->FirstVisible(), 0);
  EXPECT_TRUE(Strip->Tab(0)->isVisible());
}

struct MoveCase {
  bool Left;
  int Index;
  Texts After;
  int ActiveAfter;
  LogLines Log;
};

TEST_F(TabStrip, MovesExchangeNeighboursAndActiveFollowsItsSheet) {
  const MoveCase cases[] = {
      {true, 1, {"B", "A", "C"}, 0, {"move 1 0"}},  // the active tab itself
      {false, 1, {"A", "C", "B"}, 2, {"move 1 2"}},
      {true, 2, {"A", "C", "B"}, 2, {"move 2 1"}},  // its neighbour comes over
      {false, 0, {"B", "A", "C"}, 0, {"move 0 1"}},
      {true, 0, {"A", "B", "C"}, 1, {}},  // no neighbour on that side
      {false, 2, {"A", "B", "C"}, 1, {}},
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.Left ? "left " : "right ") << c.Index);
    Strip->Reset();
    MakeTabs({"A", "B", "C"}, 1);
    if (c.Left)
      Strip->ContextToLeft(c.Index);
    else
      Strip->ContextToRight(c.Index);
    EXPECT_EQ(Captions(), c.After);
    EXPECT_EQ(Strip->ActiveIndex(), c.ActiveAfter);
    EXPECT_TRUE(Strip->Tab(c.ActiveAfter)->Active);
    EXPECT_EQ(Strip->TabCaption(Strip->ActiveIndex()), "B");
    EXPECT_EQ(Log, c.Log);
  }
  Strip->Reset();
  EXPECT_FALSE(Strip->MoveTabRight(0));
  EXPECT_FALSE(Strip->MoveTabLeft(0));
}

TEST_F(TabStrip, RenameFieldCoversTheTabAndSetsTheCaption) {
  MakeTabs({"A", "B"}, 0);
  Strip->ContextRename(1);
  QLineEdit* field = Strip->RenameField();
  ASSERT_TRUE(field->isVisible());
  EXPECT_EQ(field->geometry(), Strip->Tab(1)->geometry());
  EXPECT_EQ(field->text(), "B");
  field->setText("Kesselhaus mit langer Bezeichnung");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_FALSE(field->isVisible());
  EXPECT_EQ(Strip->TabCaption(1), "Kesselhaus mit langer Bezeichnung");
  EXPECT_GT(Strip->Tab(1)->width(), 80);  // laid out again
  EXPECT_EQ(Strip->Tab(1)->width(), Strip->TabWidth(1));

  // A press on a tab hides the field and keeps what was typed.
  Strip->ContextRename(0);
  field->setText("Pumpen");
  QTest::mousePress(Strip->Tab(1), Qt::LeftButton, {}, Centre(1));
  QTest::mouseRelease(Strip->Tab(1), Qt::LeftButton, {}, Centre(1));
  EXPECT_FALSE(field->isVisible());
  EXPECT_EQ(Captions(), (Texts{"Pumpen", "Kesselhaus mit langer Bezeichnung"}));
  EXPECT_EQ(Strip->ActiveIndex(), 1);
}

TEST_F(TabStrip, RenameInProgressIsKeptWhenTabsMove) {
  MakeTabs({"A", "B", "C"}, 0);
  Strip->ContextRename(2);
  Strip->RenameField()->setText("Neu");
  Strip->MoveTabLeft(2);
  EXPECT_FALSE(Strip->Renaming());
  EXPECT_EQ(Captions(), (Texts{"A", "Neu", "B"}));
}

TEST_F(TabStrip, ResetLeavesOneFreshTabWithoutCallbacks) {
  MakeTabs({"A", "B", "C"}, 2);
  Strip->ContextRename(1);
  Strip->Reset();
  EXPECT_EQ(Captions(), (Texts{"Blatt 1"}));
  EXPECT_EQ(Strip->ActiveIndex(), 0);
  EXPECT_TRUE(Strip->Tab(0)->Active);
  EXPECT_FALSE(Strip->RenameField()->isVisible());
  EXPECT_TRUE(Log.empty());
  Strip->AddTab();
  EXPECT_EQ(Strip->TabCaption(1), "Blatt 2");
}

}  // namespace
