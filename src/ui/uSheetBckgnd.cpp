#include "ui/uSheetBckgnd.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "ui/uQtBridge.h"

namespace tessaro {

namespace {

constexpr const char* kModeNames[] = {"stretch", "fixWidth", "fixHeight", "orig"};

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

QSize ScreenSize() {
  if (const QScreen* s = QGuiApplication::primaryScreen()) return s->size();
  return QSize(1024, 768);
}

}  // namespace

const char* PictureModeName(int mode) {
  return mode >= pmStretch && mode <= pmOrig ? kModeNames[mode] : kModeNames[pmFixWidth];
}

int PictureModeFromName(std::string_view name, int fallback) {
  for (int m = pmStretch; m <= pmOrig; ++m)
    if (SameNoCase(name, kModeNames[m])) return m;
  return fallback;
}

TSizeEditable SizeRowEditable(int mode) {
  switch (mode) {
    case pmStretch:
      return {true, true};
    case pmFixWidth:
      return {true, false};
    case pmFixHeight:
      return {false, true};
    default:
      return {false, false};
  }
}

int RoundHalfEven(double v) {
  const double r = std::round(v);  // halves away from zero
  if (std::fabs(v - std::trunc(v)) == 0.5) return static_cast<int>(2.0 * std::round(v / 2.0));
  return static_cast<int>(r);
}

TSheetBckgnd::TSheetBckgnd(QWidget* sheet) : Sheet(sheet) {
  const QSize s = ScreenSize();
  FConfiguredWidth = s.width();
  FConfiguredHeight = s.height();
}

void TSheetBckgnd::Repaint() const {
  if (Sheet) Sheet->update();
}

void TSheetBckgnd::ResetBackground() {
  FPicture = QImage();
  FBitmap = QPixmap();
  FShownWidth = 0;
  FShownHeight = 0;
  FRunColor = DefaultRunColor;
  FEditColor = DefaultEditColor;
  FPictureFile.clear();
  const QSize s = ScreenSize();
  FConfiguredWidth = s.width();
  FConfiguredHeight = s.height();
  FPictureMode = pmFixWidth;
  Repaint();
  if (OnTabColour) OnTabColour(FEditColor);
}

void TSheetBckgnd::LoadPicture() {
  FPicture = QImage();
  if (FPictureFile.isEmpty()) return;
  QImageReader reader(ResolveFile ? ResolveFile(FPictureFile) : FPictureFile);
  reader.setAutoTransform(true);
  QImage img;
  if (reader.read(&img)) FPicture = img;
}

void TSheetBckgnd::ResizePicture() {
  if (FPicture.isNull() || FPicture.width() <= 0 || FPicture.height() <= 0) {
    // Without a picture nothing may stay on screen from an earlier one.
    FBitmap = QPixmap();
    FShownWidth = 0;
    FShownHeight = 0;
    return;
  }
  const double aspect = static_cast<double>(FPicture.width()) / FPicture.height();
  // Scaled sides are held to the bound of typed-in sizes, so a sliver of a picture or a
  // size from a damaged project file cannot ask for gigabytes.
  auto bounded = [](double v) {
    return std::min(RoundHalfEven(std::clamp(v, -1e9, 1e9)), MaxSize);
  };
  switch (FPictureMode) {
    case pmStretch:
      FShownWidth = bounded(FConfiguredWidth);
      FShownHeight = bounded(FConfiguredHeight);
      break;
    case pmFixWidth:
      FShownWidth = bounded(FConfiguredWidth);
      FShownHeight = bounded(FConfiguredWidth / aspect);
      break;
    case pmFixHeight:
      FShownWidth = bounded(FConfiguredHeight * aspect);
      FShownHeight = bounded(FConfiguredHeight);
      break;
    default:
      FShownWidth = FPicture.width();
      FShownHeight = FPicture.height();
      break;
  }
  if (FShownWidth <= 0 || FShownHeight <= 0) {
    FBitmap = QPixmap();
    return;
  }
  FBitmap = QPixmap::fromImage(
      FPicture.scaled(FShownWidth, FShownHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void TSheetBckgnd::Paint(QPainter& p, const QRect& clientRect, bool runAppearance) const {
  p.fillRect(clientRect, ToQColor(runAppearance ? FRunColor : FEditColor));
  if (FBitmap.isNull()) return;
  p.save();
  p.setClipRect(clientRect, Qt::IntersectClip);
  p.drawPixmap(clientRect.topLeft(), FBitmap);
  p.restore();
}

void TSheetBckgnd::SetRunColor(uint32_t c) {
  FRunColor = c & 0xFFFFFF;
  Repaint();
}

void TSheetBckgnd::SetEditColor(uint32_t c) {
  FEditColor = c & 0xFFFFFF;
  Repaint();
  if (OnTabColour) OnTabColour(FEditColor);
}

void TSheetBckgnd::SetPictureMode(int mode) {
  if (mode < pmStretch || mode > pmOrig || mode == FPictureMode) return;
  FPictureMode = mode;
  ResizePicture();
  Repaint();
}

void TSheetBckgnd::SetPictureFile(const QString& file) {
  FPictureFile = file;
  LoadPicture();
  ResizePicture();
  Repaint();
}

int TSheetBckgnd::SizeRowWidth() const {
  return FPictureMode == pmFixHeight || FPictureMode == pmOrig ? FShownWidth : FConfiguredWidth;
}

int TSheetBckgnd::SizeRowHeight() const {
  return FPictureMode == pmFixWidth || FPictureMode == pmOrig ? FShownHeight : FConfiguredHeight;
}

bool TSheetBckgnd::SetSizeRowWidth(int w) {
  if (w > MaxSize) return false;
  FConfiguredWidth = w;
  ResizePicture();
  Repaint();
  return true;
}

bool TSheetBckgnd::SetSizeRowHeight(int h) {
  if (h > MaxSize) return false;
  FConfiguredHeight = h;
  ResizePicture();
  Repaint();
  return true;
}

}  // namespace tessaro
