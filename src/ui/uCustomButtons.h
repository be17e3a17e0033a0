// The program's own buttons: the small icon button, the ribbon button with its three
// looks, and the framed panel of the property editor's back bar.
#pragma once

#include <QIcon>
#include <QWidget>

namespace tessaro {

class TIconButton : public QWidget {
  Q_OBJECT
 public:
  explicit TIconButton(QWidget* parent, const QIcon& icon = QIcon(),
                       const QString& hint = QString());
  void SetIcon(const QIcon& icon);
  QColor Background() const { return Back; }
  bool Hovered() const { return Hover; }
  static QColor HoverColor() { return QColor(210, 237, 251); }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QIcon Icon;
  QColor Back = QColor(192, 192, 192);
  bool Hover = false;
};

class TRibbonButton : public QWidget {
  Q_OBJECT
 public:
  enum class TLook { Normal, Hover, Pressed };
  struct TColors {
    QColor Top, Bottom, Frame;
  };
  static TColors LookColors(TLook look);
  static QColor HighlightColor() { return QColor(0, 157, 217); }

  explicit TRibbonButton(QWidget* parent, const QString& caption = QString(),
                         const QIcon& icon = QIcon());
  void SetCaption(const QString& c);
  QString Caption() const { return FCaption; }
  void SetIcon(const QIcon& icon);
  TLook Look() const { return FLook; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QString FCaption;
  QIcon Icon;
  TLook FLook = TLook::Normal;
  bool Inside = false;
};

class TFramePanel : public QWidget {
  Q_OBJECT
 public:
  explicit TFramePanel(QWidget* parent);
  QColor Color = QColor(240, 240, 240);

 protected:
  void paintEvent(QPaintEvent*) override;
};

// Simple drawn icons for the ribbon and the bars (the artwork is ours to choose).
QIcon MakeIcon(const QString& name);

}  // namespace tessaro
