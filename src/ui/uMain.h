// TMainForm: the one window. A 120-pixel ribbon (file buttons, the five mode tabs, the
// connection status, the page of the selected mode) above the work area that shows the
// sheets, the console, the terminal or the interface sheet.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "core/uTerminal.h"
#include "ui/uSheet.h"
#include "ui/uViewMode.h"

namespace tessaro {

class TTabBar;
class TIconButton;
class TRibbonButton;
class TCompiler;
class TRunSheet;
class TProject;

enum TMode { mdRun = 0, mdEdit = 1, mdConsole = 2, mdTerminal = 3, mdInterface = 4 };

class TMainForm : public QWidget, public TTerminalHost {
  Q_OBJECT
 public:
  TMainForm();
  ~TMainForm() override;

  // The start-up routine; SecondInit follows on the first idle moment.
  void InitMainWindow();
  void SecondInit();

  // ------------------------------------------------------------ modes
  void SetMode(int index);
  int Mode() const;
  void ShowCompileState();
  void HideCompileState() override;
  bool CompileStateShown() const { return FCompileStateShown; }
  void CompileAllInstruments();

  // ------------------------------------------------------------ ribbon actions
  void ReceiveSimulationClick();
  void SendSimulationClick();
  void ValueResetClick();
  void CompileStateChange(bool checked);
  // Makes the sheet at `index` (0-based) the shown one, through its tab.
  void SelectSheet(int index);
  // Adds an instrument of the class chosen in the edit page's menus.
  QWidget* AddInstrument(const QString& className);

  // ------------------------------------------------------------ TTerminalHost
  void ShowConnectState(TConnectState state) override;
  void ProcessPendingEvents() override;
  void SetBlinkTimerEnabled(bool on) override;
  void SetPollTimerEnabled(bool on) override;
  void SetAlive(bool phaseOn) override;
  void ShowNotification(TNotification which, bool enabled) override;
  void ShowInterfacePage() override { SetMode(mdInterface); }
  void CompileIfPending() override;

  // ------------------------------------------------------------ parts
  TTerminal& Terminal() { return FTerminal; }
  TSheetList& Sheets() { return FSheets; }
  TInstrumentSet& Instruments() { return FInstruments; }
  TViewMode& ViewMode() { return FViewMode; }
  TCompiler& Compiler() { return *FCompiler; }
  TProject& Project() { return *FProject; }
  // The process arguments without the program name (the command line of SecondInit).
  std::vector<std::string> Arguments;
  // The settings file; empty: none is read or written (tests).
  std::string SettingsFile;
  TTabBar* ModeTabs() const { return FModeTabs; }
  QWidget* Ribbon() const { return Menue; }
  QWidget* WorkArea() const { return Panel1; }
  QWidget* AliveMarker() const { return Alive; }
  QWidget* FullWindowBar() const { return FullWindowMenu; }
  QWidget* FullScreenBar() const { return FullScreenMenu; }
  QLabel* StatusText() const { return StatusLabel; }
  QWidget* StatusShape() const { return ConnectStatus3; }
  QLineEdit* RecvEdit() const { return EditSimulateRecv; }
  QLineEdit* SendEdit() const { return EditSimulateSend; }
  QWidget* RecvStrip() const { return PanelRecvSimu; }
  QWidget* SendStrip() const { return PanelSendSimu; }
  QLabel* NotificationLabel(TNotification n) const;
  QCheckBox* CompileStateBox() const { return CheckBoxCompileState; }
  QStackedWidget* RibbonPages() const { return MenueBar; }
  TRunSheet* RunSheet() const { return FRunSheet; }
  QWidget* InterfaceSheet() const { return FInterfaceSheet; }
  QWidget* TerminalSheet() const { return FTerminalSheet; }
  QWidget* ConsoleSheet() const { return FConsoleSheet; }
  QWidget* PropertyPanel() const { return PanelProperties; }
  QWidget* ChannelPanel() const { return PanelChannelArea; }
  QTimer& BlinkTimer() { return FBlinkTimer; }
  QTimer& PollTimer() { return FPollTimer; }

  // The ribbon hidden or shown by the views; the work area follows.
  void SetRibbonVisible(bool on);
  void MoveAliveTo(QWidget* parent, int x, int y);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildRibbon();
  void BuildPages();
  void BuildViewBars();
  void MenuTabChange();
  void LayoutWindow();
  QWidget* Group(QWidget* page, int& x, const QString& title, int width);
  TRibbonButton* RibbonButton(QWidget* parent, int x, int y, const char* id, const char* german,
                              int w = 80, int h = 50);
  void OpenMenu(QWidget* button, QMenu* menu, bool rightEdge = false);
  void AddConnectGroup(QWidget* page, int& x);
  void ShutDown();

  TTerminal FTerminal;
  TSheetList FSheets;
  TInstrumentSet FInstruments{&FSheets};
  std::unique_ptr<TCompiler> FCompiler;
  std::unique_ptr<TProject> FProject;
  TViewMode FViewMode{this};
  bool Initialising = true;
  bool CompileStateWanted = true;
  bool FCompileStateShown = false;
  bool ShutDownDone = false;

  QWidget* Menue = nullptr;
  QStackedWidget* MenueBar = nullptr;
  TTabBar* FModeTabs = nullptr;
  QWidget* ConnectStatus3 = nullptr;
  QLabel* StatusLabel = nullptr;
  QWidget* Alive = nullptr;
  TIconButton* IconButtonExtras = nullptr;
  QWidget* Panel1 = nullptr;
  TRunSheet* FRunSheet = nullptr;
  QWidget* FInterfaceSheet = nullptr;
  QWidget* FTerminalSheet = nullptr;
  QWidget* FConsoleSheet = nullptr;
  QWidget* PanelProperties = nullptr;
  QWidget* PanelChannelArea = nullptr;
  QWidget* FullWindowMenu = nullptr;
  QWidget* FullScreenMenu = nullptr;
  QLineEdit* EditSimulateRecv = nullptr;
  QLineEdit* EditSimulateSend = nullptr;
  QWidget* PanelRecvSimu = nullptr;
  QWidget* PanelSendSimu = nullptr;
  QCheckBox* CheckBoxCompileState = nullptr;
  QLabel* LabelNotifySendLoss = nullptr;
  QLabel* LabelNotifyRecvLoss = nullptr;
  QLabel* LabelNotifyConnLost = nullptr;
  QMenu* ExtrasMenu = nullptr;
  QTimer FBlinkTimer;
  QTimer FPollTimer;
  bool AlivePhase = false;
};

}  // namespace tessaro
