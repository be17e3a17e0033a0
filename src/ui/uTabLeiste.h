// The sheet tab strip under the sheets: one tab per sheet in sheet-list order, scroll
// arrows at both ends, and in edit mode a context menu to add, delete, move and rename
// sheets. The strip only keeps the tabs; the sheets follow through the four callbacks.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QLineEdit;
class QMenu;

namespace tessaro {

class TTabLeiste;

// One sheet tab. Its normal bounds come from the strip; the active tab is widened by the
// overlap on both sides and drawn on top of its neighbours.
class TTab : public QWidget {
  Q_OBJECT
 public:
  explicit TTab(TTabLeiste* strip, const QString& caption = QString());

  QString Caption;
  bool Active = false;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  TTabLeiste* Strip;
  QPoint PressPos;
  Qt::MouseButton PressButton = Qt::NoButton;
  bool Moved = false;  // the pointer left the 10-pixel box around the press: no click
};

// A scroll arrow. Disabled arrows draw their "inaktiv_" bitmap and take no clicks.
class TTabArrow : public QWidget {
  Q_OBJECT
 public:
  TTabArrow(QWidget* parent, bool pointsRight);

  bool PointsRight() const { return FRight; }
  // "aktiv_links", "inaktiv_links", "aktiv_rechts" or "inaktiv_rechts".
  QString BitmapName() const;
  std::function<void()> OnClick;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  bool FRight;
};

// The decorative lead-in piece between the left arrow and the first tab.
class TTabDummy : public QWidget {
  Q_OBJECT
 public:
  explicit TTabDummy(QWidget* parent) : QWidget(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override;
};

// The arrow bitmaps, drawn once on first use; an unknown name gives an empty pixmap.
QPixmap TabArrowBitmap(const QString& name);

class TTabLeiste : public QWidget {
  Q_OBJECT
 public:
  static constexpr int ArrowWidth = 16;
  static constexpr int MinTabWidth = 80;
  static constexpr int MaxTabWidth = 200;
  static constexpr int ClickSlop = 10;  // pixels the pointer may move during a click

  explicit TTabLeiste(QWidget* parent = nullptr);
  ~TTabLeiste() override;

  // Set by the owner. OnSheetChange runs after the active index changed, OnSheetAdd after
  // a tab was appended, OnSheetDelete after the tab at that index is gone, OnSheetMove
  // after two neighbouring tabs exchanged places.
  std::function<void()> OnSheetChange;
  std::function<void()> OnSheetAdd;
  std::function<void(int index)> OnSheetDelete;
  std::function<void(int from, int to)> OnSheetMove;

  // Tab editing through the context menu; true only in edit mode. Left clicks select
  // sheets either way.
  bool EditingEnabled = false;

  // Selects a tab and scrolls it into view; the current index, a negative one or one past
  // the last tab does nothing.
  void SetActive(int index);
  // Appends a tab (empty caption: "Blatt <new count>"), calls OnSheetAdd and lays the
  // strip out again; the new tab is not selected. Returns its index.
  int AddTab(const QString& caption = QString());
  // Deletes a tab; refused (false) for the last remaining tab or a bad index. Deleting the
  // active tab first selects its left neighbour, or the right one for the first tab.
  bool DeleteTab(int index);
  // Exchange a tab with its neighbour; false when there is none on that side.
  bool MoveTabLeft(int index);
  bool MoveTabRight(int index);
  void RenameTab(int index, const QString& caption);
  void SetTabColour(uint32_t colour);  // 0x00BBGGRR, the colour of the active tab
  uint32_t TabColour() const { return FTabColour; }
  void Relayout();
  void LangUpdate();  // re-captions the context menu
  // Back to the start-up state: one tab "Blatt 1", active, no callbacks.
  void Reset();

  QString TabCaption(int index) const;
  void SetTabCaption(int index, const QString& caption) { RenameTab(index, caption); }
  int Count() const { return static_cast<int>(Tabs.size()); }
  int ActiveIndex() const { return FActive; }
  int PreviousIndex() const { return FPrevious; }
  int FirstVisible() const { return FFirstVisible; }
  int LastVisible() const { return FLastVisible; }
  int ContextTab() const { return FContextTab; }
  int Overlap() const { return FOverlap; }
  // Width of a tab without the active widening: caption width in bold + half the strip
  // height + 6, clamped to 80..200.
  int TabWidth(int index) const;
  int IndexOf(const TTab* tab) const;

  // Scroll arrows: the left one shows the tab before the first visible one, the right
  // one the tab after the last visible one.
  void ScrollLeft();
  void ScrollRight();

  // What the context menu items do, for the context tab given.
  void ContextNew();
  void ContextDelete(int tabIndex);
  void ContextToLeft(int tabIndex);
  void ContextToRight(int tabIndex);
  void ContextRename(int tabIndex);  // opens the rename field over the tab
  // Ends a rename in progress: the field's text becomes the caption.
  void FinishRename();
  bool Renaming() const { return FRenameIndex >= 0; }

  TTab* Tab(int index) const;
  TTabArrow* LeftArrow() const { return FLeftArrow; }
  TTabArrow* RightArrow() const { return FRightArrow; }
  TTabDummy* Dummy() const { return FDummy; }
  QMenu* ContextMenu() const { return FMenu; }
  QLineEdit* RenameField() const { return FRenameField; }

 protected:
  void resizeEvent(QResizeEvent*) override;
  void paintEvent(QPaintEvent*) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  friend class TTab;
  void TabClicked(TTab* tab, Qt::MouseButton button, const QPoint& globalPos);
  void SwapTabs(int a, int b);
  void ScrollIntoView(int index);
  int TabsLeft() const;   // x where the first visible tab starts
  int TabsLimit() const;  // right bound a visible tab may reach
  void CancelRename();
  QString NewTabCaption(int number) const;

  std::vector<TTab*> Tabs;
  TTabArrow* FLeftArrow = nullptr;
  TTabArrow* FRightArrow = nullptr;
  TTabDummy* FDummy = nullptr;
  QMenu* FMenu = nullptr;
  QAction* ActNew = nullptr;
  QAction* ActDelete = nullptr;
  QAction* ActToLeft = nullptr;
  QAction* ActToRight = nullptr;
  QAction* ActRename = nullptr;
  QLineEdit* FRenameField = nullptr;
  int FActive = 0;
  int FPrevious = -1;
  int FFirstVisible = 0;
  int FLastVisible = 0;
  int FContextTab = -1;
  int FRenameIndex = -1;
  int FOverlap = 10;
  uint32_t FTabColour = 0xD2EAEC;  // edit colour RGB(236, 234, 210)
};

}  // namespace tessaro
