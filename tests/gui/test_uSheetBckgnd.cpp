#include "ui/uSheetBckgnd.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gui_util.h"
#include "ui/uQtBridge.h"

using namespace tessaro;

namespace {

// Counts its repaints.
class PaintCounter : public QWidget {
 public:
  int Paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++Paints; }
};

class SheetBackground : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

  // A picture file of the given size, filled with one colour.
  QString Picture(int w, int h, QColor fill = Qt::red, const char* name = "pic.png") {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    const QString path = Dir.filePath(name);
    EXPECT_TRUE(img.save(path));
    return path;
  }

  QTemporaryDir Dir;
  TSheetBckgnd Bg;
};

TEST_F(SheetBackground, DefaultsAndResetBackground) {
  const QSize screen = QGuiApplication::primaryScreen()->size();
  auto expectDefaults = [&] {
    EXPECT_EQ(Bg.RunColor(), FromQColor(QColor(209, 220, 233)));
    EXPECT_EQ(Bg.EditColor(), FromQColor(QColor(236, 234, 210)));
    EXPECT_EQ(Bg.ConfiguredWidth(), screen.width());
    EXPECT_EQ(Bg.ConfiguredHeight(), screen.height());
    EXPECT_EQ(Bg.PictureMode(), pmFixWidth);
    EXPECT_EQ(Bg.ShownWidth(), 0);
    EXPECT_EQ(Bg.ShownHeight(), 0);
    EXPECT_TRUE(Bg.PictureFile().isEmpty());
    EXPECT_TRUE(Bg.Picture().isNull());
    EXPECT_TRUE(Bg.Bitmap().isNull());
  };
  expectDefaults();

  std::vector<uint32_t> tabColours;
  Bg.OnTabColour = [&](uint32_t c) { tabColours.push_back(c); };
  Bg.SetRunColor(0x112233);
  Bg.SetEditColor(0x445566);
  Bg.SetPictureMode(pmStretch);
  Bg.SetSizeRowWidth(100);
  Bg.SetPictureFile(Picture(40, 30));
  ASSERT_FALSE(Bg.Bitmap().isNull());
  Bg.ResetBackground();
  expectDefaults();
  EXPECT_EQ(tabColours, (std::vector<uint32_t>{0x445566, Bg.EditColor()}));
}

struct ResizeCase {
  int PicW, PicH, Mode, ConfW, ConfH, ShownW, ShownH;
};

TEST_F(SheetBackground, ResizePictureByMode) {
  const ResizeCase cases[] = {
      {400, 300, pmFixWidth, 800, 100, 800, 600},
      {400, 300, pmStretch, 123, 45, 123, 45},
      {400, 300, pmFixHeight, 100, 600, 800, 600},
      {400, 300, pmOrig, 10, 10, 400, 300},
      // Halves round to the even neighbour.
      {4, 2, pmFixWidth, 5, 0, 5, 2},
      {4, 2, pmFixWidth, 7, 0, 7, 4},
      {2, 4, pmFixHeight, 0, 5, 2, 5},
      {2, 4, pmFixHeight, 0, 7, 4, 7},
      {300, 400, pmFixWidth, 100, 0, 100, 133},
      // A sliver of a picture is held to 9000 on the derived side.
      {1, 900, pmFixWidth, 100, 0, 100, 9000},
      {900, 1, pmFixHeight, 0, 100, 9000, 100},
  };
  for (const ResizeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.PicW << "x" << c.PicH << " mode " << c.Mode);
    TSheetBckgnd bg;
    bg.SetConfiguredWidth(c.ConfW);
    bg.SetConfiguredHeight(c.ConfH);
    bg.SetPictureMode(c.Mode);
    bg.SetPictureFile(Picture(c.PicW, c.PicH));
    EXPECT_EQ(bg.ShownWidth(), c.ShownW);
    EXPECT_EQ(bg.ShownHeight(), c.ShownH);
    EXPECT_EQ(bg.Bitmap().size(), QSize(c.ShownW, c.ShownH));
  }
}

TEST_F(SheetBackground, RoundHalfEven) {
  const std::pair<double, int> cases[] = {{0.5, 0}, {1.5, 2},  {2.5, 2},   {3.5, 4},  {2.4, 2},
                                          {2.6, 3}, {-0.5, 0}, {-1.5, -2}, {-2.6, -3}};
  for (auto [v, r] : cases)
    EXPECT_EQ(RoundHalfEven(v), r) << v;
}

struct SizeRowCase {
  int Mode;
  bool WidthEditable, HeightEditable;
  int Width, Height;
};

TEST_F(SheetBackground, SizeRowShowsConfiguredOrShownSizeByMode) {
  Bg.SetConfiguredWidth(800);
  Bg.SetConfiguredHeight(500);
  Bg.SetPictureFile(Picture(400, 300));
  const SizeRowCase cases[] = {
      {pmStretch, true, true, 800, 500},
      {pmFixWidth, true, false, 800, 600},
      {pmFixHeight, false, true, 667, 500},
      {pmOrig, false, false, 400, 300},
  };
  for (const SizeRowCase& c : cases) {
    SCOPED_TRACE(c.Mode);
    Bg.SetPictureMode(c.Mode);
    const TSizeEditable e = SizeRowEditable(c.Mode);
    EXPECT_EQ(e.Width, c.WidthEditable);
    EXPECT_EQ(e.Height, c.HeightEditable);
    EXPECT_EQ(Bg.SizeRowWidth(), c.Width);
    EXPECT_EQ(Bg.SizeRowHeight(), c.Height);
  }
}

TEST_F(SheetBackground, SizesAbove9000AreIgnored) {
  Bg.SetConfiguredWidth(800);
  Bg.SetConfiguredHeight(500);
  Bg.SetPictureFile(Picture(400, 300));
  EXPECT_FALSE(Bg.SetSizeRowWidth(9001));
  EXPECT_FALSE(Bg.SetSizeRowHeight(20000));
  EXPECT_EQ(Bg.ConfiguredWidth(), 800);
  EXPECT_EQ(Bg.ConfiguredHeight(), 500);
  EXPECT_EQ(Bg.ShownHeight(), 600);

  EXPECT_TRUE(Bg.SetSizeRowWidth(1200));  // accepted values rescale at once
  EXPECT_EQ(Bg.SizeRowHeight(), 900);

  TSheetBckgnd empty;  // 9000 itself is allowed
  EXPECT_TRUE(empty.SetSizeRowWidth(9000));
  EXPECT_TRUE(empty.SetSizeRowHeight(9000));
  EXPECT_EQ(empty.ConfiguredWidth(), 9000);
  EXPECT_EQ(empty.ConfiguredHeight(), 9000);
}

TEST_F(SheetBackground, UnreadablePictureLeavesNothingOnScreen) {
  Bg.SetPictureFile(Picture(40, 30));
  ASSERT_EQ(Bg.ShownWidth(), Bg.ConfiguredWidth());
  ASSERT_FALSE(Bg.Bitmap().isNull());

  QFile junk(Dir.filePath("junk.png"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("\x89PNG\r\n\x1a\n not really");
  junk.close();
  for (const QString& file : {Dir.filePath("junk.png"), Dir.filePath("missing.png"), QString()}) {
    SCOPED_TRACE(file.toStdString());
    Bg.SetPictureFile(Picture(40, 30));
    Bg.SetPictureFile(file);
    EXPECT_EQ(Bg.PictureFile(), file);
    EXPECT_TRUE(Bg.Picture().isNull());
    EXPECT_TRUE(Bg.Bitmap().isNull());  // not the previous picture
    EXPECT_EQ(Bg.ShownWidth(), 0);
    EXPECT_EQ(Bg.ShownHeight(), 0);
  }
}

TEST_F(SheetBackground, PictureFileIsResolvedBeforeLoading) {
  Picture(20, 10, Qt::blue, "hall.png");
  Bg.ResolveFile = [&](const QString& name) { return Dir.filePath(name); };
  Bg.SetPictureMode(pmOrig);
  Bg.SetPictureFile("hall.png");
  EXPECT_EQ(Bg.PictureFile(), "hall.png");
  EXPECT_EQ(Bg.Bitmap().size(), QSize(20, 10));
}

TEST_F(SheetBackground, PaintFillsWithModeColourAndClipsPicture) {
  Bg.SetRunColor(FromQColor(QColor(0, 255, 0)));
  Bg.SetEditColor(FromQColor(QColor(0, 0, 255)));
  Bg.SetPictureMode(pmOrig);
  Bg.SetPictureFile(Picture(30, 20, Qt::red));

  struct Probe {
    QPoint At;
    QColor Run, Edit;
  };
  const QRect client(10, 10, 50, 15);  // lower than the picture
  const Probe probes[] = {
      {{10, 10}, Qt::red, Qt::red},      // picture at the area's top-left
      {{39, 24}, Qt::red, Qt::red},      // last picture pixel inside the area
      {{40, 12}, Qt::green, Qt::blue},   // right of the picture
      {{20, 26}, Qt::black, Qt::black},  // below the area: clipped
      {{5, 5}, Qt::black, Qt::black},    // outside the area
  };
  for (bool run : {true, false}) {
    QImage target(80, 40, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
      QPainter p(&target);
      Bg.Paint(p, client, run);
    }
    for (const Probe& pr : probes)
      EXPECT_EQ(QColor(target.pixel(pr.At)), run ? pr.Run : pr.Edit)
          << (run ? "run " : "edit ") << pr.At.x() << "," << pr.At.y();
  }
}

TEST_F(SheetBackground, ChangesRepaintTheSheetAndEditColourReachesTheTabs) {
  auto sheet = std::make_unique<PaintCounter>();
  sheet->resize(100, 100);
  sheet->show();
  ASSERT_TRUE(WaitUntil([&] { return sheet->Paints > 0; }));
  TSheetBckgnd bg(sheet.get());
  std::vector<uint32_t> tabColours;
  bg.OnTabColour = [&](uint32_t c) { tabColours.push_back(c); };

  int before = sheet->Paints;
  bg.SetRunColor(0x010203);
  EXPECT_TRUE(WaitUntil([&] { return sheet->Paints > before; }));
  EXPECT_TRUE(tabColours.empty());

  before = sheet->Paints;
  bg.SetEditColor(0x040506);
  EXPECT_TRUE(WaitUntil([&] { return sheet->Paints > before; }));
  EXPECT_EQ(tabColours, (std::vector<uint32_t>{0x040506}));

  sheet.reset();  // a background outliving its sheet must not touch it
  bg.SetRunColor(0);
}

TEST_F(SheetBackground, PictureModeOutOfRangeIsIgnored) {
  for (int m : {-1, 4, 99})
    Bg.SetPictureMode(m);
  EXPECT_EQ(Bg.PictureMode(), pmFixWidth);
}

TEST_F(SheetBackground, PictureModeNames) {
  const std::pair<int, const char*> names[] = {{pmStretch, "stretch"},
                                               {pmFixWidth, "fixWidth"},
                                               {pmFixHeight, "fixHeight"},
                                               {pmOrig, "orig"}};
  for (auto [mode, name] : names) {
    EXPECT_STREQ(PictureModeName(mode), name);
    EXPECT_EQ(PictureModeFromName(name, -1), mode);
  }
  EXPECT_EQ(PictureModeFromName("FIXHEIGHT"), pmFixHeight);
  EXPECT_EQ(PictureModeFromName("tile", pmOrig), pmOrig);
  EXPECT_EQ(PictureModeFromName(""), pmFixWidth);
  EXPECT_STREQ(PictureModeName(7), "fixWidth");
}

}  // namespace
