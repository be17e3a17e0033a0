#include "ui/uMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "core/uConvert.h"
#include "core/uTrace.h"
#include "core/uVirtualTickCount64.h"
#include "instruments/uIXControls.h"
#include "instruments/uIXInOut.h"
#include "instruments/uIXNumericDisp.h"
#include "instruments/uIXSections.h"
#include "instruments/uSendAnim.h"
#include "persist/uCmdArgs.h"
#include "persist/uFileHandling.h"
#include "persist/uGlobalSettings.h"
#include "ports/uComPort.h"
#include "ports/uPorts.h"
#include "ports/uUDPPort.h"
#include "ports/uURLPort.h"
#include "ui/uCompiler.h"
#include "ui/uCustomButtons.h"
#include "ui/uProject.h"
#include "ui/uQtBridge.h"
#include "ui/uRunSheet.h"
#include "ui/uTabBar.h"
#include "ui/uTabLeiste.h"

namespace tessaro {

namespace {

constexpr int RibbonHeight = 120;
constexpr int StripHeight = 30;
constexpr int PageHeight = 90;

QLabel* SmallLabel(QWidget* parent, const QString& text, int x, int y, int w, int h = 16) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(x, y, w, h);
  QFont f = l->font();
  f.setPointSize(8);
  l->setFont(f);
  return l;
}

QWidget* Separator(QWidget* parent, int x, int y, int w, int h) {
  auto* s = new QFrame(parent);
  s->setGeometry(x, y, w, h);
  s->setAutoFillBackground(true);
  QPalette p = s->palette();
  p.setColor(QPalette::Window, QColor(160, 160, 160));
  s->setPalette(p);
  return s;
}

void Fill(QWidget* w, const QColor& c) {
  w->setAutoFillBackground(true);
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  w->setPalette(p);
}

}  // namespace

TMainForm::TMainForm()
    : FCompiler(std::make_unique<TCompiler>(FTerminal, FSheets, FInstruments, this,
                                            [this](int i) { SelectSheet(i); })) {
  setWindowTitle("Tessaro");
  resize(974, 509);
  Fill(this, QColor(192, 192, 192));
  SetInstrumentTerminal(&FTerminal);
  SetInstrumentSet(&FInstruments);
  FTerminal.SetHost(this);
  FTerminal.SetPorts(&TPortList::Instance());
  FTerminal.SetInstruments(&FInstruments);
  // Sections in the order of the file: general and sheets, interfaces, instruments.
  TProject::RegisterSections();
  ComPortSection();
  UdpPortSection();
  UrlPortSection();
  TIXNumericDisp::FileSet();
  TIXInOut::FileSet();
  TIXNumericOut::FileSet();
  SetNewInstrumentSheet([this] { return FSheets.CurrentSheet(); });
  FBlinkTimer.setInterval(400);
  FPollTimer.setInterval(100);
  connect(&FBlinkTimer, &QTimer::timeout, this, [this] { FTerminal.BlinkTimerTick(); });
  connect(&FPollTimer, &QTimer::timeout, this, [this] { FTerminal.PollTimerTick(); });
}

TMainForm::~TMainForm() {
  ShutDown();
  // Instruments go before the router they send through.
  delete FRunSheet;
  FRunSheet = nullptr;
  SetInstrumentTerminal(nullptr);
  SetInstrumentSet(nullptr);
}

void TMainForm::InitMainWindow() {
  // 1. font and title
  QFont f("DejaVu Sans", 10);
  setFont(f);
  setWindowTitle("Tessaro");
  (void)TickCount64();
  // 2. the work area and the run sheet
  Panel1 = new QWidget(this);
  // 3./4. the run sheet with its first sheet and the sheet tab strip
  FRunSheet = new TRunSheet(Panel1, FSheets);
  FRunSheet->OnSheetsChanged = [this](int current, int count) {
    FCompiler->SheetsChanged(current, count);
    FCompiler->MarkPending();
  };
  FRunSheet->OnBeforeSheetChange = [this] { PanelProperties->hide(); };
  FCompiler->SheetsChanged(1, 1);
  // 6. the ribbon with the mode tabs
  BuildRibbon();
  BuildPages();
  BuildViewBars();
  // 7. property editor and channel table places
  PanelProperties = new QWidget(this);
  PanelProperties->setObjectName("PanelProperties");
  Fill(PanelProperties, QColor(240, 240, 240));
  PanelProperties->hide();
  PanelChannelArea = new QWidget(this);
  PanelChannelArea->setObjectName("PanelChannelArea");
  Fill(PanelChannelArea, QColor(240, 240, 240));
  PanelChannelArea->hide();
  // 8. interface, terminal and console sheets
  FInterfaceSheet = new QWidget(Panel1);
  FInterfaceSheet->setObjectName("InterfaceSheet");
  FTerminalSheet = new QWidget(Panel1);
  FTerminalSheet->setObjectName("TerminalSheet");
  FConsoleSheet = new QWidget(Panel1);
  FConsoleSheet->setObjectName("ConsoleSheet");
  for (QWidget* w : {FInterfaceSheet, FTerminalSheet, FConsoleSheet}) {
    Fill(w, QColor(240, 240, 240));
    w->hide();
  }
  // 10./11. the file handling with its loading cover
  FProject = std::make_unique<TProject>(*this);
  auto* open = new QShortcut(QKeySequence("Ctrl+O"), this);
  connect(open, &QShortcut::activated, this, [this] { FProject->OpenProject(); });
  auto* save = new QShortcut(QKeySequence("Ctrl+S"), this);
  connect(save, &QShortcut::activated, this, [this] { FProject->SaveCurrentProject(); });
  // 12. number format: the desktop's decimal mark for displayed numbers
  SetSystemDecimalSeparator(QLocale().decimalPoint() == QString(",") ? ',' : '.');
  GlobalSettings().SetDecimalChoice(GlobalSettings().GetDecimalChoice());
  LayoutWindow();
  // 13. edit mode
  FModeTabs->SetMode(mdEdit);
  // 14.
  Initialising = false;
  QTimer::singleShot(0, this, [this] { SecondInit(); });
}

void TMainForm::SecondInit() {
  GlobalSettings().OnProjectPath = [this](const std::string& dir) {
    FProject->DialogDirectory = Q(dir);
  };
  if (!SettingsFile.empty() && LoadSettings(SettingsFile)) {
    TStartActions start;
    start.NewProject = [this] { FProject->NewProject(); };
    start.LoadProject = [this] { return FProject->LoadProjectFile(); };
    start.SetMode = [this](int m) { SetMode(m); };
    start.UpdateTitle = [this] { FProject->UpdateTitle(true); };
    ApplyStartSettings(start);
  }
  TCmdActions cmd;
  cmd.SetLanguage = [](const std::string& code) { GlobalSettings().SetLangUserChoice(code); };
  cmd.EnterFullScreen = [this] { FViewMode.EnterFullScreen(); };
  cmd.EnterFullWindow = [this] { FViewMode.EnterFullWindow(); };
  cmd.NewProject = [this] { FProject->NewProject(); };
  cmd.ShowLoadingCover = [this](bool on) { FProject->LoadingCover()->setVisible(on); };
  cmd.LoadProject = [this] { return FProject->LoadProjectFile(); };
  cmd.ShowMessage = [this](const std::string& text) { FProject->ShowMessage(Q(text)); };
  cmd.SetMode = [this](int m) { SetMode(m); };
  cmd.SelectFirstSheet = [this] { FRunSheet->SelectSheet(0); };
  cmd.UpdateTitle = [this] { FProject->UpdateTitle(true); };
  cmd.Connect = [this] { FTerminal.Connect(); };
  EvaluateCommandLine(Arguments, cmd);
  for (QLabel* l : {LabelNotifySendLoss, LabelNotifyRecvLoss, LabelNotifyConnLost}) {
    QFont f = l->font();
    f.setPointSize(8);
    l->setFont(f);
  }
}

// ------------------------------------------------------------------ ribbon

TRibbonButton* TMainForm::RibbonButton(QWidget* parent, int x, int y, const char* id,
                                       const char* german, int w, int h) {
  auto* b = new TRibbonButton(parent, ResText(id, german));
  b->setObjectName(QString::fromUtf8(id));
  b->setGeometry(x, y, w, h);
  return b;
}

QWidget* TMainForm::Group(QWidget* page, int& x, const QString& title, int width) {
  auto* g = new QWidget(page);
  g->setGeometry(x, 0, width, PageHeight);
  SmallLabel(g, title, 4, 72, width - 8)->setAlignment(Qt::AlignCenter);
  Separator(page, x + width, 4, 1, PageHeight - 8);
  x += width + 2;
  return g;
}

void TMainForm::BuildRibbon() {
  Menue = new QWidget(this);
  Menue->setObjectName("Menue");
  Fill(Menue, QColor(192, 192, 192));
  struct Icon {
    const char* Name;
    const char* Hint;
    int X;
  };
  const Icon icons[] = {{"new", "Neu", 0},
                        {"open", "Öffnen", 30},
                        {"saveas", "Speichern unter...", 60},
                        {"save", "Speichern", 90}};
  for (const Icon& i : icons) {
    auto* b = new TIconButton(Menue, MakeIcon(i.Name), QString::fromUtf8(i.Hint));
    b->setObjectName(QString("IconButton_") + i.Name);
    b->setGeometry(i.X, 0, 29, 29);
    if (i.X > 0) Separator(Menue, i.X - 1, 3, 1, 23);
    QString name = i.Name;
    connect(b, &TIconButton::clicked, this, [this, name] {
      if (name == "new")
        FProject->NewProject();
      else if (name == "open")
        FProject->OpenProject();
      else if (name == "saveas")
        FProject->SaveProjectAs();
      else
        FProject->SaveCurrentProject();
    });
  }
  FModeTabs = new TTabBar(Menue, 5);
  const std::pair<const char*, const char*> tabs[] = {{"ulangstrings.stabrun", "Ausführen"},
                                                      {"ulangstrings.stabedit", "Bearbeiten"},
                                                      {"ulangstrings.stabcons", "Konsole"},
                                                      {"ulangstrings.stabterm", "Terminal"},
                                                      {"ulangstrings.stabinterf", "Schnittstelle"}};
  for (int i = 0; i < 5; ++i)
    FModeTabs->SetCaption(i, ResText(tabs[i].first, tabs[i].second));
  FModeTabs->OnChange = [this](TTabBar*) { MenuTabChange(); };

  ConnectStatus3 = new QWidget(Menue);
  ConnectStatus3->setObjectName("ConnectStatus3");
  StatusLabel = new QLabel(ResText("uterminal.sterdiscon", "Getrennt"), ConnectStatus3);
  StatusLabel->setAlignment(Qt::AlignCenter);
  StatusLabel->setGeometry(0, 2, 100, 20);
  Alive = new QWidget(ConnectStatus3);
  Alive->setObjectName("Alive");
  Alive->setGeometry(92, 9, 4, 4);
  Fill(Alive, Qt::white);
  Alive->hide();
  ShowConnectState(TConnectState::Disconnected);

  IconButtonExtras = new TIconButton(Menue, MakeIcon("extras"), "Extras");
  IconButtonExtras->setObjectName("IconButtonExtras");
  ExtrasMenu = new QMenu(this);
  QMenu* lang = ExtrasMenu->addMenu(ResText("tmainform.menuitem_lang.caption", "Sprache"));
  lang->addAction("Deutsch");
  lang->addAction("English");
  lang->addAction(QString::fromUtf8("中文"));
  ExtrasMenu->addAction(ResText("tmainform.menuitem_settings.caption", "Einstellungen"));
  ExtrasMenu->addAction(ResText("tmainform.menuitem_about.caption", "Über Tessaro"));
  connect(IconButtonExtras, &TIconButton::clicked, this,
          [this] { OpenMenu(IconButtonExtras, ExtrasMenu, true); });

  MenueBar = new QStackedWidget(Menue);
  MenueBar->setObjectName("MenueBar");
}

void TMainForm::AddConnectGroup(QWidget* page, int& x) {
  QWidget* g = Group(page, x, ResText("tmainform.groupinterface", "Schnittstelle"), 170);
  auto* c = RibbonButton(g, 4, 10, "ulangstrings.sbuttonconnect", "Verbinden");
  c->SetIcon(MakeIcon("connect"));
  connect(c, &TRibbonButton::clicked, this, [this] { FTerminal.Connect(); });
  auto* d = RibbonButton(g, 86, 10, "ulangstrings.sbuttondisconnect", "Trennen");
  d->SetIcon(MakeIcon("disconnect"));
  connect(d, &TRibbonButton::clicked, this, [this] { FTerminal.Disconnect(); });
}

void TMainForm::BuildPages() {
  // ---- Run
  auto* run = new QWidget;
  run->setObjectName("PageRun");
  int x = 4;
  AddConnectGroup(run, x);
  QWidget* g = Group(run, x, ResText("tmainform.groupinstruments", "Instrumente"), 90);
  connect(RibbonButton(g, 4, 10, "ulangstrings.sbuttonvalreset", "Werte löschen"),
          &TRibbonButton::clicked, this, [this] { ValueResetClick(); });

  g = Group(run, x, ResText("tmainform.groupmanual", "Manuelle Befehle"), 250);
  // One row per direction: label, the 4-pixel strip for the animation, edit, button.
  auto commandRow = [this, g](int y, const QString& label, const char* strip, const char* edit,
                              const char* text, const char* button, void (TMainForm::*click)(),
                              QWidget*& stripOut, QLineEdit*& editOut) {
    SmallLabel(g, label, 4, y + 2, 60);
    stripOut = new QWidget(g);
    stripOut->setObjectName(strip);
    stripOut->setGeometry(66, y - 4, 150, 4);
    editOut = new QLineEdit(text, g);
    editOut->setObjectName(edit);
    editOut->setGeometry(66, y, 150, 24);
    editOut->installEventFilter(this);
    auto* b = new QToolButton(g);
    b->setObjectName(button);
    b->setIcon(MakeIcon("connect"));
    b->setGeometry(220, y, 24, 24);
    connect(b, &QToolButton::clicked, this, [this, click] { (this->*click)(); });
  };
  commandRow(10, ResText("tmainform.labelrecv", "Eingang"), "PanelRecvSimu", "EditSimulateRecv",
             "#1F10;", "BitBtnRecvSimu", &TMainForm::ReceiveSimulationClick, PanelRecvSimu,
             EditSimulateRecv);
  commandRow(42, ResText("tmainform.labelsend", "Ausgang"), "PanelSendSimu", "EditSimulateSend",
             "#25STest;", "BitBtnSendSimu", &TMainForm::SendSimulationClick, PanelSendSimu,
             EditSimulateSend);

  g = Group(run, x, ResText("tmainform.groupview", "Anzeige"), 120);
  CheckBoxCompileState =
      new QCheckBox(ResText("tmainform.checkboxcompilestate.caption", "Kompilierstatus"), g);
  CheckBoxCompileState->setObjectName("CheckBoxCompileState");
  CheckBoxCompileState->setGeometry(6, 20, 110, 24);
  CheckBoxCompileState->setChecked(true);
  connect(CheckBoxCompileState, &QCheckBox::toggled, this,
          [this](bool on) { CompileStateChange(on); });

  g = Group(run, x, ResText("tmainform.groupscreen", "Ansicht"), 170);
  connect(RibbonButton(g, 4, 10, "ulangstrings.sbuttonfullwindow", "Vollfenster"),
          &TRibbonButton::clicked, this, [this] { FViewMode.EnterFullWindow(); });
  connect(RibbonButton(g, 86, 10, "ulangstrings.sbuttonfullscreen", "Vollbild"),
          &TRibbonButton::clicked, this, [this] { FViewMode.EnterFullScreen(); });

  g = Group(run, x, ResText("tmainform.groupnotify", "Meldungen"), 160);
  LabelNotifyRecvLoss =
      SmallLabel(g, ResText("tmainform.labelnotifyrecvloss", "Paketverlust (Empfang)"), 6, 8, 150);
  LabelNotifySendLoss =
      SmallLabel(g, ResText("tmainform.labelnotifysendloss", "Paketverlust (Senden)"), 6, 28, 150);
  LabelNotifyConnLost =
      SmallLabel(g, ResText("tmainform.labelnotifyconnlost", "Verbindungsabbruch"), 6, 48, 150);
  LabelNotifyRecvLoss->setObjectName("LabelNotifyRecvLoss");
  LabelNotifySendLoss->setObjectName("LabelNotifySendLoss");
  LabelNotifyConnLost->setObjectName("LabelNotifyConnLost");
  for (QLabel* l : {LabelNotifyRecvLoss, LabelNotifySendLoss, LabelNotifyConnLost}) {
    QPalette p = l->palette();
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    p.setColor(QPalette::Active, QPalette::WindowText, QColor(200, 0, 0));
    p.setColor(QPalette::Inactive, QPalette::WindowText, QColor(200, 0, 0));
    l->setPalette(p);
    l->setEnabled(false);
  }

  // ---- Edit
  auto* edit = new QWidget;
  edit->setObjectName("PageEdit");
  x = 4;
  g = Group(edit, x, ResText("tmainform.groupedit", "Bearbeiten"), 70);
  RibbonButton(g, 4, 6, "ulangstrings.sbuttondelete", "Entfernen", 60, 60);
  g = Group(edit, x, ResText("tmainform.groupadd", "Instrumente Hinzufügen"), 4 + 7 * 82);
  struct Item {
    const char* German;
    const char* Class;
  };
  struct Menu {
    const char* Id;
    const char* German;
    std::vector<Item> Items;
  };
  const Menu menus[] = {
      {"ulangstrings.sbuttoninstad",
       "Analog/Digital",
       {{"Numerische Anzeige", "TIXNumericDisp"},
        {"Numerische Ausgabe", "TIXNumericOut"},
        {"Analoganzeige/-schieber", "TIXAnalogDisp"},
        {"Balkenanzeige", "TIXBargraph"}}},
      {"ulangstrings.sbuttoninstchart",
       "Diagramme",
       {{"Zeitdiagramm", "TIXTimeChart"}, {"XY-Diagramm", "TIXXYChart"}}},
      {"ulangstrings.sbuttoninsttext",
       "Textinstrumente",
       {{"Fernanzeige", "TIXRemoteLabel"}, {"Zeichenausgabe", "TIXStringSend"}}},
      {"ulangstrings.sbuttoninstswitches",
       "Schaltinstrumente",
       {{"Taster", "TIXButton"}, {"Schaltleiste", "TIXSwitch"}}},
      {"ulangstrings.sbuttoninstopt",
       "Optische Instr.",
       {{"LED-Anzeige", "TIXled"},
        {"Blink-LED", "TIXBlinkLED"},
        {"LED-Leiste", "TIXMultiLED"},
        {"Bildanzeige", "TIXPicture"},
        {"Tongeber", "TIXBeep"}}},
      {"ulangstrings.sbuttoninstext",
       "Erweiterte Instr.",
       {{"E/A-Kanal", "TIXInOut"},
        {"Dateirekorder", "TIXFileRec"},
        {"Getaktete Ausgabe", "TIXClock"},
        {"Lookup-Tabelle", "TIXLUT"}}},
      {"ulangstrings.sbuttoninstbmp",
       "Bitmap-Instr.",
       {{"Taster", "TIXBmpButton"},
        {"Schalter", "TIXBmpSwitch"},
        {"Schieberegler", "TIXBmpSlider"}}},
  };
  int bx = 4;
  for (const Menu& m : menus) {
    TRibbonButton* b = RibbonButton(g, bx, 6, m.Id, m.German, 80, 60);
    auto* menu = new QMenu(b);
    for (const Item& it : m.Items) {
      QAction* a = menu->addAction(QString::fromUtf8(it.German));
      a->setObjectName(it.Class);
      QString cls = it.Class;
      a->setEnabled(cls == "TIXNumericDisp" || cls == "TIXNumericOut" || cls == "TIXInOut");
      connect(a, &QAction::triggered, this, [this, cls] { AddInstrument(cls); });
    }
    connect(b, &TRibbonButton::clicked, this, [this, b, menu] { OpenMenu(b, menu); });
    bx += 82;
  }
  g = Group(edit, x, ResText("tmainform.grouptool", "Hilfsmittel"), 170);
  RibbonButton(g, 4, 10, "ulangstrings.sbuttonkanalliste", "Kanalliste");
  RibbonButton(g, 86, 10, "ulangstrings.sbuttonhintergrund", "Hintergrund");

  // ---- Console, Terminal, Interface: their sheets fill these pages later
  // Console and terminal pages: the on switch and "Anzeige Löschen", then connect.
  auto actionPage = [this](const char* name, const char* boxId, const char* boxText) {
    auto* page = new QWidget;
    page->setObjectName(name);
    int px = 4;
    QWidget* group = Group(page, px, ResText("tmainform.groupaction", "Aktion"), 140);
    (new QCheckBox(ResText(boxId, boxText), group))->setGeometry(6, 8, 130, 24);
    RibbonButton(group, 6, 34, "ulangstrings.sbuttonclear", "Anzeige Löschen", 120, 30);
    AddConnectGroup(page, px);
    return page;
  };
  QWidget* cons = actionPage("PageConsole", "tmainform.checkboxconsole", "Konsole aktiv");
  QWidget* term = actionPage("PageTerm", "tmainform.checkboxterminal", "Terminal aktiv");

  auto* intf = new QWidget;
  intf->setObjectName("PageInterface");
  x = 4;
  g = Group(intf, x, ResText("tmainform.groupedit", "Bearbeiten"), 70);
  RibbonButton(g, 4, 6, "ulangstrings.sbitbtnentf", "Entfernen", 60, 60);
  g = Group(intf, x, ResText("tmainform.groupaddinterface", "Schnittstelle Hinzufügen"), 250);
  RibbonButton(g, 4, 6, "ulangstrings.sbitbtncom", "Serielle", 78, 60);
  RibbonButton(g, 86, 6, "ulangstrings.sbitbtnudp", "UDP-Verbindung", 78, 60);
  RibbonButton(g, 168, 6, "ulangstrings.sbitbtnurl", "URL-Anfrage", 78, 60);
  g = Group(intf, x, ResText("tmainform.grouptool", "Hilfsmittel"), 100);
  connect(RibbonButton(g, 4, 10, "ulangstrings.sbuttontest", "Verbindungstest", 90),
          &TRibbonButton::clicked, this, [] { TPortList::Instance().ConnectionTest(false); });

  for (QWidget* p : {run, edit, cons, term, intf})
    MenueBar->addWidget(p);
}

void TMainForm::BuildViewBars() {
  auto bar = [this](const char* name, std::initializer_list<const char*> icons) {
    auto* w = new QWidget(this);
    w->setObjectName(name);
    Fill(w, QColor(192, 192, 192));
    int bx = 0;
    for (const char* icon : icons) {
      auto* b = new TIconButton(w, MakeIcon(icon));
      b->setObjectName(QString(name) + "_" + icon);
      b->setGeometry(bx, 0, 29, 29);
      if (bx > 0) Separator(w, bx - 1, 3, 1, 23);
      bx += 30;
    }
    w->resize(bx - 1, 29);
    w->hide();
    return w;
  };
  FullWindowMenu = bar("FullWindowMenu", {"connect", "disconnect", "leave"});
  FullScreenMenu = bar("FullScreenMenu", {"connect", "disconnect", "leave", "close"});
  auto wire = [this](QWidget* barWidget, bool full) {
    auto buttons = barWidget->findChildren<TIconButton*>(QString(), Qt::FindDirectChildrenOnly);
    auto connectIt = [this] {
      if (Mode() != mdRun) SetMode(mdRun);
      FTerminal.Connect();
    };
    connect(buttons[0], &TIconButton::clicked, this, connectIt);
    connect(buttons[1], &TIconButton::clicked, this, [this] { FTerminal.Disconnect(); });
    if (full) {
      connect(buttons[2], &TIconButton::clicked, this, [this] { FViewMode.LeaveFullScreen(); });
      connect(buttons[3], &TIconButton::clicked, this, [this] { close(); });
    } else {
      connect(buttons[2], &TIconButton::clicked, this, [this] { FViewMode.LeaveFullWindow(); });
    }
  };
  wire(FullWindowMenu, false);
  wire(FullScreenMenu, true);
}

void TMainForm::OpenMenu(QWidget* button, QMenu* menu, bool rightEdge) {
  QPoint at(rightEdge ? button->width() : 0, button->height() + 2);
  menu->popup(button->mapToGlobal(at));
}

void TMainForm::LayoutWindow() {
  if (!Menue) return;
  const int w = width(), h = height();
  Menue->setGeometry(0, 0, w, RibbonHeight);
  FModeTabs->setGeometry(120, 0, qMax(0, w - 255), StripHeight);
  ConnectStatus3->setGeometry(w - 30 - 100, 4, 100, 22);
  IconButtonExtras->setGeometry(w - 29, 0, 29, 29);
  MenueBar->setGeometry(0, StripHeight, w, PageHeight);
  int top = Menue->isHidden() ? 0 : RibbonHeight;
  Panel1->setGeometry(0, top, w, qMax(0, h - top));
  for (QWidget* c :
       {static_cast<QWidget*>(FRunSheet), FInterfaceSheet, FTerminalSheet, FConsoleSheet})
    if (c) c->setGeometry(0, 0, Panel1->width(), Panel1->height());
  if (PanelProperties)
    PanelProperties->setGeometry(w - 400, RibbonHeight, 400, qMax(0, h - RibbonHeight));
  if (PanelChannelArea)
    PanelChannelArea->setGeometry(w - 400, RibbonHeight, 400, qMax(0, h - RibbonHeight));
  if (FullWindowMenu) FullWindowMenu->move(w - FullWindowMenu->width(), 0);
  if (FullScreenMenu) FullScreenMenu->move(w - FullScreenMenu->width(), 0);
}

void TMainForm::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  LayoutWindow();
}

void TMainForm::SetRibbonVisible(bool on) {
  Menue->setVisible(on);
  LayoutWindow();
  QCoreApplication::processEvents();
}

void TMainForm::MoveAliveTo(QWidget* parent, int x, int y) {
  bool visible = FTerminal.IsConnected();
  Alive->setParent(parent);
  Alive->move(x, y);
  Alive->setVisible(visible);
  Alive->raise();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      (watched == EditSimulateRecv || watched == EditSimulateSend)) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      if (watched == EditSimulateRecv)
        ReceiveSimulationClick();
      else
        SendSimulationClick();
      return true;  // swallowed: nothing is inserted
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------------ modes

int TMainForm::Mode() const {
  return FModeTabs->Current();
}

void TMainForm::SetMode(int index) {
  FModeTabs->SetMode(index);
}

void TMainForm::MenuTabChange() {
  const int tab = FModeTabs->Current();
  MenueBar->setCurrentIndex(tab);
  auto hidePanels = [this] {
    PanelProperties->hide();
    PanelChannelArea->hide();
  };
  auto only = [this](QWidget* shown) {
    for (QWidget* w :
         {static_cast<QWidget*>(FRunSheet), FInterfaceSheet, FTerminalSheet, FConsoleSheet})
      w->setVisible(w == shown);
  };
  switch (tab) {
    case mdRun:
      hidePanels();
      only(FRunSheet);
      FRunSheet->SetRunAppearance();
      CompileAllInstruments();
      ShowCompileState();
      TPortList::Instance().ResetIndicators();
      FRunSheet->SetEditingEnabled(false);
      break;
    case mdEdit:
      FTerminal.Disconnect();
      HideCompileState();
      only(FRunSheet);
      FRunSheet->SetEditAppearance();
      TPortList::Instance().ResetIndicators();
      FRunSheet->SetEditingEnabled(true);
      break;
    case mdConsole:
      hidePanels();
      only(FConsoleSheet);
      CompileAllInstruments();
      TPortList::Instance().ResetIndicators();
      break;
    case mdTerminal:
      hidePanels();
      only(FTerminalSheet);
      QCoreApplication::processEvents();
      CompileAllInstruments();
      TPortList::Instance().ResetIndicators();
      break;
    case mdInterface:
      hidePanels();
      only(FInterfaceSheet);
      break;
  }
}

void TMainForm::CompileAllInstruments() {
  FCompiler->CompileAll();
  // Compiling clears the notifications; their labels follow.
  for (auto n : {TNotification::SendLoss, TNotification::ReceiveLoss, TNotification::ConnLost})
    ShowNotification(n, false);
}

void TMainForm::CompileIfPending() {
  if (FCompiler->Pending()) FCompiler->CompileAll();
}

void TMainForm::ShowCompileState() {
  if (!CompileStateWanted || FTerminal.IsConnected() || Mode() == mdEdit) return;
  FCompileStateShown = true;
  FInstruments.ShowCompileState();
  for (TSheet* s : FSheets.Sheets)
    for (TIXElement* e : s->Instruments())
      e->SetEditAppearance();
}

void TMainForm::HideCompileState() {
  if (!FCompileStateShown) return;
  FCompileStateShown = false;
  FInstruments.HideCompileState();
  if (Mode() == mdRun) FRunSheet->SetRunAppearance();
}

void TMainForm::CompileStateChange(bool checked) {
  CompileStateWanted = checked;
  if (checked)
    ShowCompileState();
  else
    HideCompileState();
}

// ------------------------------------------------------------------ ribbon actions

void TMainForm::ReceiveSimulationClick() {
  bool forwarded = FTerminal.ReceiveSimulation(S(EditSimulateRecv->text()));
  TAnim::Start(PanelRecvSimu, forwarded ? 1 : 3, 4);
}

void TMainForm::SendSimulationClick() {
  bool deliverable = false;
  if (FTerminal.IsConnected()) {
    bool d = false;
    FTerminal.Send(1, S(EditSimulateSend->text()), d);
    deliverable = d;
  }
  TAnim::Start(PanelSendSimu, deliverable ? 1 : 2, 4);
}

void TMainForm::ValueResetClick() {
  FTerminal.ResetValues();
  FInstruments.ResetAll();
  FCompiler->ResetMemory();
  Notifications.ClearAll();
  for (auto n : {TNotification::SendLoss, TNotification::ReceiveLoss, TNotification::ConnLost})
    ShowNotification(n, false);
}

void TMainForm::SelectSheet(int index) {
  FRunSheet->SelectSheet(index);
}

QWidget* TMainForm::AddInstrument(const QString& className) {
  TSheet* sheet = FSheets.CurrentSheet();
  if (!sheet) return nullptr;
  TIXElement* e = nullptr;
  if (className == "TIXNumericDisp")
    e = new TIXNumericDisp(sheet);
  else if (className == "TIXNumericOut")
    e = new TIXNumericOut(sheet);
  else if (className == "TIXInOut")
    e = new TIXInOut(sheet);
  if (!e) return nullptr;
  // Until edit mode places them, new instruments cascade from the top left.
  int n = static_cast<int>(sheet->Instruments().size()) % 12;
  e->SetLeft(10 + n * 16);
  e->SetTop(10 + n * 16);
  e->show();
  FCompiler->MarkPending();
  return e;
}

// ------------------------------------------------------------------ TTerminalHost

void TMainForm::ShowConnectState(TConnectState state) {
  Fill(ConnectStatus3, ToQColor(ConnectStateColor(state)));
  StatusLabel->setText(ResText(ConnectStateTextId(state), ConnectStateText(state)));
  Alive->setVisible(state == TConnectState::Connected);
}

void TMainForm::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

void TMainForm::SetBlinkTimerEnabled(bool on) {
  if (on)
    FBlinkTimer.start();
  else
    FBlinkTimer.stop();
}

void TMainForm::SetPollTimerEnabled(bool on) {
  if (on)
    FPollTimer.start();
  else
    FPollTimer.stop();
}

void TMainForm::SetAlive(bool phaseOn) {
  AlivePhase = phaseOn;
  Fill(Alive, phaseOn ? Qt::white : Qt::black);
}

QLabel* TMainForm::NotificationLabel(TNotification n) const {
  switch (n) {
    case TNotification::SendLoss:
      return LabelNotifySendLoss;
    case TNotification::ReceiveLoss:
      return LabelNotifyRecvLoss;
    default:
      return LabelNotifyConnLost;
  }
}

void TMainForm::ShowNotification(TNotification which, bool enabled) {
  if (QLabel* l = NotificationLabel(which)) l->setEnabled(enabled);
}

// ------------------------------------------------------------------ shut-down

void TMainForm::ShutDown() {
  if (ShutDownDone) return;
  ShutDownDone = true;
  FTerminal.Disconnect();
  if (!SettingsFile.empty() && !Initialising) SaveSettings(SettingsFile);
}

void TMainForm::closeEvent(QCloseEvent* e) {
  ShutDown();
  e->accept();
}

// ------------------------------------------------------------------ views

void TViewMode::EnterFullWindow() {
  if (FView != Normal) return;
  FView = FullWindow;
  Form->SetRibbonVisible(false);
  QWidget* bar = Form->FullWindowBar();
  bar->move(Form->width() - bar->width(), 0);
  bar->show();
  bar->raise();
  Form->MoveAliveTo(bar, 22, 2);
}

void TViewMode::LeaveFullWindow() {
  if (FView == Normal) return;
  FView = Normal;
  Form->SetRibbonVisible(true);
  Form->FullWindowBar()->hide();
  Form->MoveAliveTo(Form->StatusShape(), 92, 9);
}

void TViewMode::EnterFullScreen() {
  if (FView != Normal) return;
  FView = FullScreen;
  Form->SetRibbonVisible(false);
  ToggleFullScreenWindow();
  QWidget* bar = Form->FullScreenBar();
  bar->move(Form->width() - bar->width(), 0);
  bar->show();
  bar->raise();
  Form->MoveAliveTo(bar, 22, 2);
}

void TViewMode::LeaveFullScreen() {
  if (FView == Normal) return;
  bool wasFull = FView == FullScreen;
  FView = Normal;
  if (wasFull) ToggleFullScreenWindow();
  Form->SetRibbonVisible(true);
  Form->FullScreenBar()->hide();
  Form->FullWindowBar()->hide();
  Form->MoveAliveTo(Form->StatusShape(), 92, 9);
}

void TViewMode::ToggleFullScreenWindow() {
  if (!(Form->windowState() & Qt::WindowFullScreen)) {
    WasMaximised = Form->windowState() & Qt::WindowMaximized;
    SavedBounds = Form->geometry();
    Form->setWindowState(Qt::WindowFullScreen);
  } else if (WasMaximised) {
    Form->setWindowState(Qt::WindowMaximized);
  } else {
    Form->setWindowState(Qt::WindowNoState);
    Form->setGeometry(SavedBounds);
  }
}

}  // namespace tessaro
