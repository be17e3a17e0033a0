#include "ui/uProject.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "core/uTerminal.h"
#include "instruments/uIXControls.h"
#include "persist/uFileHandling.h"
#include "ports/uPorts.h"
#include "ui/uCompiler.h"
#include "ui/uMain.h"
#include "ui/uQtBridge.h"
#include "ui/uRunSheet.h"
#include "ui/uSheet.h"
#include "ui/uSheetBckgnd.h"
#include "ui/uTabLeiste.h"

namespace tessaro {

namespace {

// The one project whose general section is read and written.
TProject* gProject = nullptr;

}  // namespace

TProject::TProject(TMainForm& form) : Form(form) {
  gProject = this;
  DialogDirectory = QDir::currentPath();
  Cover = new QWidget(form.WorkArea());
  Cover->setObjectName("LoadingCover");
  Cover->setAutoFillBackground(true);
  QPalette p = Cover->palette();
  p.setColor(QPalette::Window, ToQColor(0x00D2EAEC));
  Cover->setPalette(p);
  Cover->hide();
}

// ------------------------------------------------------------------ sections

TFLSet& TProject::GeneralSection() {
  using T = TProject;
  static TFLSet set("IXGENERAL", [] { return static_cast<void*>(gProject); });
  static const bool bound = [] {
    TFLBinder<T> b(set);
    b.Add<TFLEString>(
        "version", [](T&) { return std::string("V1.0"); }, [](T&, const std::string&) {});
    b.Add<TFLEBool>(
        "showCompileState", [](T& t) { return t.Form.CompileStateBox()->isChecked(); },
        [](T& t, bool v) { t.Form.CompileStateBox()->setChecked(v); });
    b.Add<TFLEBool>(
        "consoleActive", [](T& t) { return t.Console.Active; },
        [](T& t, bool v) { t.Console.Active = v; });
    b.Add<TFLEBool>(
        "consoleRecActive", [](T& t) { return t.Console.Recording; },
        [](T& t, bool v) { t.Console.Recording = v; });
    b.Add<TFLEString>(
        "consoleRecFile", [](T& t) { return t.Console.RecFile; },
        [](T& t, const std::string& v) { t.Console.RecFile = v; });
    b.Add<TFLEFont>(
        "consoleFont", [](T& t) { return t.Console.Font; },
        [](T& t, const TFontData& f) { t.Console.Font = f; });
    b.Add<TFLEColor>(
        "consoleBackColor", [](T& t) { return t.Console.BackColor; },
        [](T& t, uint32_t c) { t.Console.BackColor = c; });
    return true;
  }();
  (void)bound;
  return set;
}

TFLSet& TProject::SheetSection() {
  using T = TSheet;
  static TFLSet set("IXSHEET", [] {
    return gProject ? static_cast<void*>(gProject->Form.RunSheet()->NextSheetForLoading())
                    : nullptr;
  });
  static const bool bound = [] {
    TFLBinder<T> b(set);
    auto run = [] { return gProject->Form.RunSheet(); };
    b.Add<TFLEString>(
        "name", [run](T& s) { return S(run()->GetSheetName(&s)); },
        [run](T& s, const std::string& v) { run()->SetSheetName(&s, Q(v)); });
    // Stored relative to the project directory when the picture lies in it.
    b.Add<TFLEString>(
        "picFile", [](T& s) { return MakeRelative(S(s.Background.PictureFile())); },
        [](T& s, const std::string& v) { s.Background.SetPictureFile(Q(v)); });
    b.AddEnum(
        "picMode", {"stretch", "fixWidth", "fixHeight", "orig"},
        [](T& s) { return s.Background.PictureMode(); },
        [](T& s, int v) { s.Background.SetPictureMode(v); });
    b.Add<TFLEInteger>(
        "picWidth", [](T& s) { return s.Background.SizeRowWidth(); },
        [](T& s, int32_t v) { s.Background.SetSizeRowWidth(v); });
    b.Add<TFLEInteger>(
        "picHeight", [](T& s) { return s.Background.SizeRowHeight(); },
        [](T& s, int32_t v) { s.Background.SetSizeRowHeight(v); });
    b.Add<TFLEColor>(
        "bckColor", [](T& s) { return s.Background.RunColor(); },
        [](T& s, uint32_t c) { s.Background.SetRunColor(c); });
    b.Add<TFLEColor>(
        "editColor", [](T& s) { return s.Background.EditColor(); },
        [](T& s, uint32_t c) { s.Background.SetEditColor(c); });
    return true;
  }();
  (void)bound;
  return set;
}

void TProject::RegisterSections() {
  GeneralSection();
  SheetSection();
}

// ------------------------------------------------------------------ walk

TFLItem TProject::General() {
  return {&GeneralSection(), static_cast<void*>(this), false};
}

int TProject::InterfaceCount() {
  return TPortList::Instance().Count();
}

TFLItem TProject::Interface(int i) {
  return TPortList::Instance().Ports()[static_cast<size_t>(i)]->FileItem();
}

int TProject::SheetCount() {
  return Form.Sheets().SheetCount();
}

TFLItem TProject::Sheet(int sheet) {
  return {&SheetSection(), static_cast<void*>(Form.Sheets().Sheets[static_cast<size_t>(sheet)]),
          false};
}

int TProject::InstrumentCount(int sheet) {
  return static_cast<int>(Form.Sheets().Sheets[static_cast<size_t>(sheet)]->Instruments().size());
}

TFLItem TProject::Instrument(int sheet, int i) {
  return Form.Sheets()
      .Sheets[static_cast<size_t>(sheet)]
      ->Instruments()[static_cast<size_t>(i)]
      ->FileItem();
}

void TProject::HidePropertyEditor() {
  Form.PropertyPanel()->hide();
}

void TProject::InternalError(std::string_view message) {
  ShowMessage(Q(message));
}

// ------------------------------------------------------------------ commands

void TProject::ShowMessage(const QString& text) {
  if (OnMessage) {
    OnMessage(text);
    return;
  }
  QMessageBox::warning(&Form, "Tessaro", text);
}

void TProject::NewProject() {
  Form.Terminal().Disconnect();
  Form.PropertyPanel()->hide();
  TPortList::Instance().RemoveAll();
  Form.RunSheet()->ResetToOneSheet();
  SetProjectFile("");
  Form.SetMode(mdEdit);
  UpdateTitle(false);
}

bool TProject::LoadProjectFile() {
  Cover->setGeometry(0, 0, Form.WorkArea()->width(), Form.WorkArea()->height());
  Cover->show();
  Cover->raise();
  bool ok = ProjectFileLoad().LoadProject(this, ProjectFile());
  for (TSheet* s : Form.Sheets().Sheets) {
    for (TIXElement* e : s->Instruments())
      if (!e->Attached) e->show();
    s->FitContents();
  }
  Cover->hide();
  Form.Compiler().MarkPending();
  return ok;
}

bool TProject::OpenProject() {
  QString file = AskOpenFile ? AskOpenFile()
                             : QFileDialog::getOpenFileName(
                                   &Form, ResText("ufilehandling.sfileopen", "Öffnen"),
                                   DialogDirectory, "Tessaro Projekt (*.tess)");
  if (file.isEmpty()) return false;
  NewProject();
  SetProjectFile(S(file));
  SetProjectPath(ExtractPath(ProjectFile()));
  if (!LoadProjectFile())
    ShowMessage(ResText("ufilehandling.sfilemsgopenerror", "Fehler beim Öffnen der Datei."));
  Form.SetMode(mdEdit);
  Form.RunSheet()->SelectSheet(0);
  UpdateTitle(true);
  return true;
}

bool TProject::SaveProjectAs() {
  QString file = AskSaveFile ? AskSaveFile()
                             : QFileDialog::getSaveFileName(
                                   &Form, ResText("ufilehandling.sfilesave", "Speichern unter"),
                                   DialogDirectory, "Tessaro Projekt (*.tess)");
  bool confirmed = !file.isEmpty();
  if (confirmed) {
    if (!file.contains('.')) file += ".tess";  // the default extension
    SetProjectFile(S(file));
    SetProjectPath(ExtractPath(ProjectFile()));
    bool ok = ProjectFileLoad().SaveProject(*this, ProjectFile());
    UpdateTitle(true);
    if (!ok)
      ShowMessage(ResText("ufilehandling.sfilemsgsaveerror",
                          "Fehler beim Speichern: Datei kann nicht geöffnet werden."));
  }
  Form.PropertyPanel()->hide();
  return confirmed;
}

void TProject::SaveCurrentProject() {
  if (ProjectFile().empty()) {
    SaveProjectAs();
    return;
  }
  if (!ProjectFileLoad().SaveProject(*this, ProjectFile()))
    ShowMessage(ResText("ufilehandling.sfilemsgsaveerror",
                        "Fehler beim Speichern: Datei kann nicht geöffnet werden."));
  Form.PropertyPanel()->hide();
}

void TProject::UpdateTitle(bool withFile) {
  TWindowTitle t =
      tessaro::UpdateTitle(withFile, S(ResText("ufilehandling.swindowtitle", "Tessaro")));
  QApplication::setApplicationName(Q(t.Application));
  Form.setWindowTitle(Q(t.Caption));
}

}  // namespace tessaro
