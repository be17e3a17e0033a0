// The mode tab bar: five tabs drawn as grey gradients; the active tab is 2 pixels wider
// on each side and uses the full height.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

namespace tessaro {

class TTabBar;

class TTabElement : public QWidget {
  Q_OBJECT
 public:
  TTabElement(TTabBar* bar, int index);
  QString Caption;
  bool Active = false;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;

 private:
  TTabBar* Bar;
  int Index;
};

class TTabBar : public QWidget {
  Q_OBJECT
 public:
  TTabBar(QWidget* parent, int count);

  // Selects a tab; out of range or the current one does nothing, otherwise the change
  // handler runs.
  void SetMode(int index);
  int Current() const { return FCurrent; }
  int Count() const { return static_cast<int>(Tabs.size()); }
  void SetCaption(int index, const QString& caption);
  void SetTabWidth(int index, int width);
  void Layout();
  TTabElement* Tab(int i) const { return Tabs[static_cast<size_t>(i)]; }

  std::function<void(TTabBar*)> OnChange;

 protected:
  void resizeEvent(QResizeEvent*) override { Layout(); }

 private:
  std::vector<TTabElement*> Tabs;
  std::vector<int> Widths;
  int FCurrent = -1;
};

}  // namespace tessaro
