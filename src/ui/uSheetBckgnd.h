// The background of one sheet: a run colour, an edit colour and an optional picture that
// is scaled by the picture mode and painted 1:1 at the top-left corner.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string_view>

class QPainter;

namespace tessaro {

enum TPictureMode : int {
  pmStretch = 0,    // configured width x configured height
  pmFixWidth = 1,   // configured width, height from the aspect ratio
  pmFixHeight = 2,  // configured height, width from the aspect ratio
  pmOrig = 3,       // the picture's own size
};

// Names of the picture modes in project files: "stretch", "fixWidth", "fixHeight", "orig".
// An out-of-range mode writes "fixWidth".
const char* PictureModeName(int mode);
// Reads a name (case does not matter); an unknown name gives fallback.
int PictureModeFromName(std::string_view name, int fallback = pmFixWidth);

// Which fields of the size row take input in a picture mode; the others show the shown
// size read-only.
struct TSizeEditable {
  bool Width;
  bool Height;
};
TSizeEditable SizeRowEditable(int mode);

// Nearest integer, halves to the even neighbour.
int RoundHalfEven(double v);

class TSheetBckgnd {
 public:
  static constexpr uint32_t DefaultRunColor = 0xE9DCD1;   // RGB(209, 220, 233)
  static constexpr uint32_t DefaultEditColor = 0xD2EAEC;  // RGB(236, 234, 210)
  static constexpr int MaxSize = 9000;                    // larger sizes typed in are ignored

  explicit TSheetBckgnd(QWidget* sheet = nullptr);

  // Repainted after every change that shows.
  QPointer<QWidget> Sheet;
  // Receives the edit colour when it changes and on reset; the owner passes it on to the
  // tab strip while this is the current sheet's background.
  std::function<void(uint32_t)> OnTabColour;
  // Turns a stored picture file name into a path to open (relative names are relative to
  // the project); unset means the name is used as it is.
  std::function<QString(const QString&)> ResolveFile;

  // Defaults: both colours, screen-sized, fixed width, no picture; then tells the tab
  // strip the edit colour.
  void ResetBackground();
  // Clears the picture and loads it from the picture file; an unreadable file leaves it
  // empty without a message.
  void LoadPicture();
  // Scales the picture into the bitmap by the picture mode; no picture, no bitmap.
  void ResizePicture();
  // Fills the client area with the run or edit colour and copies the bitmap at its
  // top-left corner, clipped to the area.
  void Paint(QPainter& p, const QRect& clientRect, bool runAppearance) const;

  uint32_t RunColor() const { return FRunColor; }
  void SetRunColor(uint32_t c);
  uint32_t EditColor() const { return FEditColor; }
  void SetEditColor(uint32_t c);

  int PictureMode() const { return FPictureMode; }
  // A different mode in 0..3 rescales the picture; anything else is ignored.
  void SetPictureMode(int mode);

  const QString& PictureFile() const { return FPictureFile; }
  // Loads and scales the named picture.
  void SetPictureFile(const QString& file);

  int ConfiguredWidth() const { return FConfiguredWidth; }
  int ConfiguredHeight() const { return FConfiguredHeight; }
  int ShownWidth() const { return FShownWidth; }
  int ShownHeight() const { return FShownHeight; }
  // Plain stores (project file); the caller rescales.
  void SetConfiguredWidth(int w) { FConfiguredWidth = w; }
  void SetConfiguredHeight(int h) { FConfiguredHeight = h; }

  // The size row: the width shows the shown width in modes 2 and 3, else the configured
  // one; the height shows the shown height in modes 1 and 3, else the configured one.
  int SizeRowWidth() const;
  int SizeRowHeight() const;
  // A typed-in size: values above 9000 are ignored and give false; otherwise it becomes
  // the configured size and the picture is rescaled.
  bool SetSizeRowWidth(int w);
  bool SetSizeRowHeight(int h);

  const QImage& Picture() const { return FPicture; }
  const QPixmap& Bitmap() const { return FBitmap; }

 private:
  void Repaint() const;

  QImage FPicture;
  QPixmap FBitmap;
  int FShownWidth = 0;
  int FShownHeight = 0;
  uint32_t FRunColor = DefaultRunColor;
  uint32_t FEditColor = DefaultEditColor;
  QString FPictureFile;
  int FConfiguredWidth = 0;
  int FConfiguredHeight = 0;
  int FPictureMode = pmFixWidth;
};

}  // namespace tessaro
