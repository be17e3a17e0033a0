// The project-file sections of the instruments: the shared keys bound once here, each
// instrument unit adds its own keys in its order. An instrument hands the section its
// own most-derived pointer (FileItem), which is what the section was bound with.
#pragma once

#include "instruments/uIXControls.h"
#include "persist/uFileLoader.h"

namespace tessaro {

template <class T>
struct TIXKeys {
  TFLBinder<T> B;
  explicit TIXKeys(TFLSet& set) : B(set) {}

  void Disabled() {
    B.template Add<TFLEBool>(
        "disabled", [](T& t) { return t.GetDisabled(); }, [](T& t, bool v) { t.SetDisabled(v); });
  }
  void Denom(const char* key = "denom") {
    B.template Add<TFLEString>(
        key, [](T& t) { return t.GetDenom(); }, [](T& t, const std::string& v) { t.SetDenom(v); });
  }
  void Source(const char* key = "source") {
    B.template Add<TFLEString>(
        key, [](T& t) { return t.GetSource(); },
        [](T& t, const std::string& v) { t.SetSource(v); });
  }
  void Position() {
    B.template Add<TFLEIntXY>(
        "position",
        [](T& t) {
          return TIntXY{t.GetLeft(), t.GetTop()};
        },
        [](T& t, const TIntXY& v) {
          t.SetLeft(v.X);
          t.SetTop(v.Y);
        });
  }
  void Size() {
    B.template Add<TFLEIntXY>(
        "size",
        [](T& t) {
          return TIntXY{t.GetWidth(), t.GetHeight()};
        },
        [](T& t, const TIntXY& v) {
          t.SetWidth(v.X);
          t.SetHeight(v.Y);
        });
  }
  void Font() {
    B.template Add<TFLEFont>(
        "font", [](T& t) { return t.GetFont(); }, [](T& t, const TFontData& f) { t.SetFont(f); });
  }
  void Colours() {
    B.template Add<TFLEColor>(
        "bckGndColor", [](T& t) { return t.GetBackColor(); },
        [](T& t, uint32_t c) { t.SetBackColor(c); });
    B.template Add<TFLEColor>(
        "frameColor", [](T& t) { return t.GetFrameColor(); },
        [](T& t, uint32_t c) { t.SetFrameColor(c); });
  }
  void FrameWidth() {
    B.template Add<TFLEInteger>(
        "framewidth", [](T& t) { return t.GetFrameWidth(); },
        [](T& t, int32_t v) { t.SetFrameWidth(v); });
  }
  void ShowAnim() {
    B.template Add<TFLEBool>(
        "showAnim", [](T& t) { return t.GetSendAnimation(); },
        [](T& t, bool v) { t.SetSendAnimation(v); });
  }
  // The keys every instrument with a name, input and unit caption starts with, in order.
  void CaptionedHead() {
    Disabled();
    Denom();
    Source();
    String(
        "unit", [](T& t) { return t.GetUnit(); }, [](T& t, const std::string& v) { t.SetUnit(v); });
    Position();
    Size();
    Bool<&T::GetShowName, &T::SetShowName>("showName");
    Bool<&T::GetShowSource, &T::SetShowSource>("showSource");
    Bool<&T::GetShowUnit, &T::SetShowUnit>("showUnit");
  }
  template <auto Get, auto Put>
  void Bool(const char* key) {
    B.template Bind<TFLEBool, Get, Put>(key);
  }
  template <auto Get, auto Put>
  void Int(const char* key) {
    B.template Bind<TFLEInteger, Get, Put>(key);
  }
  void String(const char* key, std::function<std::string(T&)> get,
              std::function<void(T&, const std::string&)> put) {
    B.template Add<TFLEString>(key, std::move(get), std::move(put));
  }
};

// The sheet new instruments go on (the current sheet, or the sheet being loaded).
void SetNewInstrumentSheet(std::function<TSheet*()> provider);
TSheet* NewInstrumentSheet();

// A new instrument on the sheet new instruments go on. The factory of every section.
// It is shown at once (a child made after its parent was shown stays hidden otherwise),
// except while a project loads: a shown widget posts a layout request for each caption
// and font it is given, and thousands of those make loading slow; the loader shows the
// instruments when it is done.
template <class T>
void* CreateInstrument() {
  T* t = new T(NewInstrumentSheet());
  if (!Loading()) t->show();
  return static_cast<void*>(t);
}

// Duplicate: a new instrument of the same type on the current sheet with every stored
// setting copied, moved to the top left.
template <class T>
T* DuplicateInstrument(T& source) {
  T* copy = static_cast<T*>(T::FileSet().GetTarget());
  if (!copy) return nullptr;
  T::FileSet().ValueCopy(static_cast<void*>(&source), static_cast<void*>(copy));
  copy->SetLeft(0);
  copy->SetTop(0);
  copy->RealignEditHandles();
  copy->show();
  return copy;
}

}  // namespace tessaro
