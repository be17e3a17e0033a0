// The text-file engine of project files (and, through uSettingLoader, of the settings
// file): section definitions (TFLSet) with their entries (TFLEintrag kinds), the written
// form and read rules of every value kind, and the line reader/writer TFileLoad.
//
// A file is a sequence of lines: a section header (the section name alone, "IX..."),
// entry lines ("key value") and blank lines. Each section kind is declared once at
// start-up by the unit that owns it:
//
//   TFLSet& UdpSection() {
//     static TFLSet set("IXUDPPORT", [] { return static_cast<void*>(NewUdpPort()); });
//     static const bool bound = [] {
//       TFLBinder<TUDPPort> b(set);
//       b.Bind<TFLEBool, &TUDPPort::GetDisabled, &TUDPPort::SetDisabled>("disabled");
//       b.Bind<TFLEString, &TUDPPort::GetIp, &TUDPPort::SetIp>("ip");
//       b.Add<TFLEIntXY>(
//           "filterBounds", [](TUDPPort& p) { return TIntXY{p.FilterMin, p.FilterMax}; },
//           [](TUDPPort& p, const TIntXY& v) { p.FilterMin = v.X; p.FilterMax = v.Y; });
//       return true;
//     }();
//     (void)bound;
//     return set;
//   }
//
// Objects travel as void*; a section's Target, the project walk and ValueCopy must hand
// over a pointer to exactly the class T the section was bound with (static_cast<void*>
// of a T*), never a pointer to a base or derived class.
//
// Accessors are called with the object and the entry's Index; a binder accessor that
// takes an int after the object gets the index (curve i, colour i, ...). The index and
// the object are also published in TFLEintrag::CurrentIndex() / TFLSet::CurrentTarget().
//
// Failures are result flags: a value that does not parse leaves its field unchanged,
// a file that cannot be opened or created gives false. Nothing here throws.
// Threads: main thread only (Loading() may be read from anywhere).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/uFont.h"

namespace tessaro {

class TFileLoad;
class TFLSet;

// Two integers of one entry: position (left, top), size, filter bounds.
struct TIntXY {
  int X = 0;
  int Y = 0;
  bool operator==(const TIntXY&) const = default;
};

// ---------------------------------------------------------------- entries

class TFLEintrag {
 public:
  explicit TFLEintrag(std::string_view name, int index = 0) : Name(name), Index(index) {}
  virtual ~TFLEintrag() = default;
  TFLEintrag(const TFLEintrag&) = delete;
  TFLEintrag& operator=(const TFLEintrag&) = delete;

  // Appends the value text of obj to out (nothing without a getter).
  virtual void Save(void* obj, std::string& out) const = 0;
  // Parses a value text; only when it parses is the setter called. Returns whether the
  // value was stored.
  virtual bool Load(void* obj, std::string_view text) const = 0;
  // Reads the value from source with the getter and stores it into dest.
  virtual void ValueCopy(void* source, void* dest) const = 0;

  // The Index of the entry whose accessor runs now.
  static int CurrentIndex();

  std::string Name;  // the key: lower-case first letter, no blanks
  int Index = 0;
  bool Stored = true;  // only stored entries are written

 protected:
  void PublishIndex() const;
};

template <class V>
class TFLEValue : public TFLEintrag {
 public:
  using TValue = V;
  using TGetter = std::function<V(void* obj, int index)>;
  using TSetter = std::function<void(void* obj, int index, const V& value)>;

  TFLEValue(std::string_view name, TGetter getter, TSetter setter, int index = 0)
      : TFLEintrag(name, index), Getter(std::move(getter)), Setter(std::move(setter)) {}

  void Save(void* obj, std::string& out) const override {
    if (!Getter) return;
    PublishIndex();
    FormatValue(Getter(obj, Index), out);
  }
  bool Load(void* obj, std::string_view text) const override {
    V v{};
    if (!Setter || !ParseValue(text, v)) return false;
    PublishIndex();
    Setter(obj, Index, v);
    return true;
  }
  void ValueCopy(void* source, void* dest) const override {
    if (!Getter || !Setter) return;
    PublishIndex();
    V v = Getter(source, Index);
    Setter(dest, Index, v);
  }

  // The written form and the read rule of this kind.
  virtual void FormatValue(const V& v, std::string& out) const = 0;
  virtual bool ParseValue(std::string_view text, V& v) const = 0;

  TGetter Getter;
  TSetter Setter;
};

// Decimal, "-" when negative. Read: optional "-", then digits only, 32-bit range.
class TFLEInteger : public TFLEValue<int32_t> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(int32_t v, std::string& out);
  static bool Parse(std::string_view text, int32_t& v);
  void FormatValue(const int32_t& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, int32_t& v) const override { return Parse(t, v); }
};

// "12,5", "1,5E-7" (always ","). Read: either decimal mark.
class TFLEReal : public TFLEValue<double> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(double v, std::string& out);
  static bool Parse(std::string_view text, double& v);
  void FormatValue(const double& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, double& v) const override { return Parse(t, v); }
};

// "true" / "false". Read: a value beginning with "false" or "true".
class TFLEBool : public TFLEValue<bool> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(bool v, std::string& out);
  static bool Parse(std::string_view text, bool& v);
  void FormatValue(const bool& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, bool& v) const override { return Parse(t, v); }
};

// 0x00BBGGRR written "$00BBGGRR". Read: the "$" form or plain decimal.
class TFLEColor : public TFLEValue<uint32_t> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(uint32_t v, std::string& out);
  static bool Parse(std::string_view text, uint32_t& v);
  void FormatValue(const uint32_t& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, uint32_t& v) const override { return Parse(t, v); }
};

// "x=120 y=45". Read: "x=", unsigned digits, " y=", unsigned digits to the end.
class TFLEIntXY : public TFLEValue<TIntXY> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(const TIntXY& v, std::string& out);
  static bool Parse(std::string_view text, TIntXY& v);
  void FormatValue(const TIntXY& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, TIntXY& v) const override { return Parse(t, v); }
};

// "\"text\"" without trailing blanks. Read: everything between the first and the last
// double quote, unchanged (a text holding double quotes reads back as written).
class TFLEString : public TFLEValue<std::string> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(const std::string& v, std::string& out);
  static bool Parse(std::string_view text, std::string& v);
  void FormatValue(const std::string& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, std::string& v) const override { return Parse(t, v); }
};

// name="DejaVu Sans" size=9 color=$00000000[ style=bold,italic,strikeout,underline].
// Read: each part where it is found; missing parts are those of a default TFontData.
class TFLEFont : public TFLEValue<TFontData> {
 public:
  using TFLEValue::TFLEValue;
  static void Format(const TFontData& v, std::string& out);
  static bool Parse(std::string_view text, TFontData& v);
  void FormatValue(const TFontData& v, std::string& out) const override { Format(v, out); }
  bool ParseValue(std::string_view t, TFontData& v) const override { return Parse(t, v); }
};

// An index written as its name in Names (empty outside the list). Read: the position of
// the name, compared without regard to ASCII case; an unknown name is not stored.
class TFLEEnum : public TFLEValue<int> {
 public:
  TFLEEnum(std::string_view name, std::vector<std::string> names, TGetter getter, TSetter setter,
           int index = 0)
      : TFLEValue(name, std::move(getter), std::move(setter), index), Names(std::move(names)) {}
  void FormatValue(const int& v, std::string& out) const override;
  bool ParseValue(std::string_view text, int& v) const override;
  std::vector<std::string> Names;
};

// ---------------------------------------------------------------- sections

using TFLSetList = std::vector<TFLSet*>;

// The sections of project files, in creation order.
TFLSetList& ProjectSections();

class TFLSet {
 public:
  using TTarget = std::function<void*()>;

  // Registers the section at the end of list (the project sections by default).
  TFLSet(std::string_view name, TTarget target, TFLSetList* list = &ProjectSections());
  virtual ~TFLSet();  // unregisters
  TFLSet(const TFLSet&) = delete;
  TFLSet& operator=(const TFLSet&) = delete;

  const std::string& Name() const { return SetName; }
  const std::vector<std::unique_ptr<TFLEintrag>>& Entries() const { return EntryList; }
  TFLEintrag* Find(std::string_view key) const;

  // Appends an entry (the order is the order of the written lines).
  template <class E>
  E& AddEntry(std::unique_ptr<E> entry) {
    E& e = *entry;
    EntryList.push_back(std::move(entry));
    return e;
  }

  // The object to read into: made by Target (a new sheet, interface or instrument, or
  // the one object of a one-of-a-kind section). nullptr skips the section's lines.
  virtual void* GetTarget() const { return Target ? Target() : nullptr; }

  // Header line and the stored entries of obj.
  void SaveSet(TFileLoad& file, void* obj) const;
  // Entry lines into GetTarget() up to the next header or the end; returns the object.
  void* LoadSet(TFileLoad& file) const;
  // The same into a given object (nullptr reads the lines and stores nothing).
  void LoadSetInto(TFileLoad& file, void* obj) const;
  // Every entry from source to dest through getter and setter.
  void ValueCopy(void* source, void* dest) const;

  // The object being saved or loaded now.
  static void* CurrentTarget();

  TTarget Target;

 private:
  std::string SetName;
  std::vector<std::unique_ptr<TFLEintrag>> EntryList;
  TFLSetList* List;
};

// The section a header line opens: the one whose name equals the line (trailing blanks
// aside), else the first in list order whose name begins the line; nullptr if none.
TFLSet* FindSection(const TFLSetList& list, std::string_view line);

// Typed binding of entries to the accessors of class T.
template <class T>
class TFLBinder {
 public:
  explicit TFLBinder(TFLSet& set) : Set(set) {}

  // get: (T&) or (T&, int index) -> value; set: (T&, value) or (T&, int index, value).
  // Member function pointers and lambdas both work.
  template <class E, class G, class S>
  E& Add(std::string_view key, G get, S set, int index = 0) {
    using V = typename E::TValue;
    return Set.AddEntry(
        std::make_unique<E>(key, Getter<V>(std::move(get)), Setter<V>(std::move(set)), index));
  }
  template <class E, auto Get, auto Put>
  E& Bind(std::string_view key, int index = 0) {
    return Add<E>(key, Get, Put, index);
  }
  // A data member read and written directly.
  template <class E, auto Field>
  E& BindField(std::string_view key, int index = 0) {
    using V = typename E::TValue;
    return Add<E>(
        key, [](T& t) { return static_cast<V>(t.*Field); }, [](T& t, const V& v) { t.*Field = v; },
        index);
  }
  template <class G, class S>
  TFLEEnum& AddEnum(std::string_view key, std::vector<std::string> names, G get, S set,
                    int index = 0) {
    return Set.AddEntry(std::make_unique<TFLEEnum>(
        key, std::move(names), Getter<int>(std::move(get)), Setter<int>(std::move(set)), index));
  }
  // An XY entry over two integer accessor pairs (left/top, width/height).
  template <auto GetX, auto SetX, auto GetY, auto SetY>
  TFLEIntXY& BindXY(std::string_view key, int index = 0) {
    return Add<TFLEIntXY>(
        key,
        [](T& t) {
          return TIntXY{static_cast<int>(std::invoke(GetX, t)),
                        static_cast<int>(std::invoke(GetY, t))};
        },
        [](T& t, const TIntXY& v) {
          std::invoke(SetX, t, v.X);
          std::invoke(SetY, t, v.Y);
        },
        index);
  }

 private:
  template <class V, class G>
  static typename TFLEValue<V>::TGetter Getter(G get) {
    return [get](void* o, int i) -> V {
      T& t = *static_cast<T*>(o);
      if constexpr (std::is_invocable_v<const G&, T&, int>)
        return static_cast<V>(std::invoke(get, t, i));
      else
        return static_cast<V>(std::invoke(get, t));
    };
  }
  template <class V, class S>
  static typename TFLEValue<V>::TSetter Setter(S set) {
    return [set](void* o, int i, const V& v) {
      T& t = *static_cast<T*>(o);
      if constexpr (std::is_invocable_v<const S&, T&, int, const V&>)
        std::invoke(set, t, i, v);
      else
        std::invoke(set, t, v);
    };
  }

  TFLSet& Set;
};

// ---------------------------------------------------------------- the project walk

struct TFLItem {
  const TFLSet* Set = nullptr;  // the section kind; nullptr: nothing to write
  void* Object = nullptr;       // the object as the section expects it
  bool Attached = false;        // an instrument's sub-channel: its owner writes it
};

// The project as saving sees it; the window implements it over its sheets and interfaces.
class TProjectWalk {
 public:
  virtual ~TProjectWalk() = default;
  virtual TFLItem General() = 0;
  virtual int InterfaceCount() = 0;
  virtual TFLItem Interface(int i) = 0;
  virtual int SheetCount() = 0;  // in tab order
  virtual TFLItem Sheet(int sheet) = 0;
  virtual int InstrumentCount(int sheet) = 0;
  virtual TFLItem Instrument(int sheet, int i) = 0;
  // Commits a value being typed into the property editor before a load.
  virtual void HidePropertyEditor() {}
  // An internal inconsistency for a message box.
  virtual void InternalError(std::string_view /*message*/) {}
};

// Message for an instrument that has no section definition.
inline constexpr std::string_view SetNotAssignedMessage =
    "IXFileLoadSet not assigned in Unit uInit!";

// ---------------------------------------------------------------- files

// Set while a project file is read; the rest of the program holds back its reactions.
bool Loading();

// Line reader and writer with a one-line push-back. Writing collects the lines and
// commits them in Close: a temporary file in the same directory renamed over the old
// one, so the old file stays intact unless the new one is complete.
class TFileLoad {
 public:
  TFileLoad() = default;
  ~TFileLoad();  // an unfinished write is discarded
  TFileLoad(const TFileLoad&) = delete;
  TFileLoad& operator=(const TFileLoad&) = delete;

  // Creates the temporary file; false (nothing changed) when it cannot be created.
  bool OpenWrite(const std::string& fileName);
  // Reads the whole file; false for an empty name or a file that cannot be read.
  bool OpenRead(const std::string& fileName);
  // Reads from a buffer that the caller keeps alive until Close.
  void OpenText(std::string_view text);
  bool IsOpen() const { return Mode != TMode::Closed; }

  // Trailing blanks and control characters are dropped, line breaks inside become blanks.
  void WriteLine(std::string_view line);
  // Next line without its end (LF, CR or CR LF); false at the end. The view stays valid
  // until Close.
  bool ReadLine(std::string_view& line);
  // The next ReadLine returns this line again.
  void PushBack(std::string_view line);
  // Ends reading, or commits a write; false when the write could not be completed.
  bool Close();
  // Ends reading or writing; a write is dropped and the old file stays as it was.
  void Discard() { CloseQuietly(); }

  // The whole project to fileName (ProjectFile() when omitted) in the order general
  // section, interfaces, then each sheet followed by its instruments.
  bool SaveProject(TProjectWalk& project);
  bool SaveProject(TProjectWalk& project, const std::string& fileName);
  // Reads fileName (ProjectFile() when omitted) section by section; the sections'
  // Targets build the objects. false when the file cannot be opened.
  bool LoadProject(TProjectWalk* project);
  bool LoadProject(TProjectWalk* project, const std::string& fileName);
  // The same over a text in memory (tests, fuzzing).
  void LoadProjectText(TProjectWalk* project, std::string_view text);

  // Reads all lines of the open file, running each header's section from list.
  void LoadSections(const TFLSetList& list);

 private:
  enum class TMode { Closed, Reading, Writing };
  void CloseQuietly();
  void LoadOpenProject(TProjectWalk* project);

  TMode Mode = TMode::Closed;
  std::string Storage;    // file contents while reading
  std::string_view Text;  // what is read
  size_t Pos = 0;
  bool HasPushBack = false;
  std::string PushedLine;
  std::string OutBuffer;   // lines to write
  std::string TargetName;  // the file a write replaces
  std::string TempName;
  int TempFd = -1;
};

// The file handle of project files.
TFileLoad& ProjectFileLoad();

}  // namespace tessaro
