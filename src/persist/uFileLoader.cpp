#include "persist/uFileLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "core/uConvert.h"
#include "persist/uFileHandling.h"

namespace tessaro {

namespace {

int gCurrentIndex = 0;
void* gCurrentTarget = nullptr;
std::atomic<bool> gLoading{false};

// Files larger than this are not read at all; a project is a few megabytes at most.
constexpr size_t MaxFileSize = size_t{256} << 20;

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Unsigned decimal digits, at least one, 32-bit range.
bool ParseUnsigned(std::string_view s, int32_t& v) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsDigit(c)) return false;
  bool valid;
  v = StrToIntStrict(s, valid);
  return valid;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
    s.remove_suffix(1);
  return s;
}

// Restores the flag and closes the file however a load ends.
struct TLoadingScope {
  TFileLoad& File;
  explicit TLoadingScope(TFileLoad& f) : File(f) { gLoading.store(true); }
  ~TLoadingScope() {
    gLoading.store(false);
    File.Close();
  }
};

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------- entries

int TFLEintrag::CurrentIndex() {
  return gCurrentIndex;
}
void TFLEintrag::PublishIndex() const {
  gCurrentIndex = Index;
}

void TFLEInteger::Format(int32_t v, std::string& out) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

bool TFLEInteger::Parse(std::string_view text, int32_t& v) {
  bool valid;
  int r = StrToIntStrict(text, valid);  // "-" alone or out of range: not valid
  if (valid) v = r;
  return valid;
}

void TFLEReal::Format(double v, std::string& out) {
  out += RealToFileText(v);
}

bool TFLEReal::Parse(std::string_view text, double& v) {
  bool valid;
  double r = TextToReal(text, valid);
  if (valid) v = r;
  return valid;
}

void TFLEBool::Format(bool v, std::string& out) {
  out += v ? "true" : "false";
}

bool TFLEBool::Parse(std::string_view text, bool& v) {
  bool valid;
  bool r = TextToBool(text, valid);
  if (valid) v = r;
  return valid;
}

void TFLEColor::Format(uint32_t v, std::string& out) {
  out += ColorToText(v);
}

bool TFLEColor::Parse(std::string_view text, uint32_t& v) {
  bool valid;
  int r = StrToIntTolerant(text, valid);
  if (valid) v = static_cast<uint32_t>(r);
  return valid;
}

void TFLEIntXY::Format(const TIntXY& v, std::string& out) {
  out += "x=";
  TFLEInteger::Format(v.X, out);
  out += " y=";
  TFLEInteger::Format(v.Y, out);
}

bool TFLEIntXY::Parse(std::string_view text, TIntXY& v) {
  if (!text.starts_with("x=")) return false;
  text.remove_prefix(2);
  size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return false;
  std::string_view x = text.substr(0, blank);
  std::string_view rest = text.substr(blank + 1);
  if (!rest.starts_with("y=")) return false;
  TIntXY r;
  if (!ParseUnsigned(x, r.X) || !ParseUnsigned(rest.substr(2), r.Y)) return false;
  v = r;
  return true;
}

void TFLEString::Format(const std::string& v, std::string& out) {
  out += '"';
  out += TrimRight(v);
  out += '"';
}

bool TFLEString::Parse(std::string_view text, std::string& v) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  v.assign(text.substr(1, text.size() - 2));
  return true;
}

void TFLEFont::Format(const TFontData& v, std::string& out) {
  out += "name=\"";
  out += v.Name;
  out += "\" size=";
  TFLEInteger::Format(v.Size, out);
  out += " color=";
  out += ColorToText(v.Color);
  if (v.Bold || v.Italic || v.StrikeOut || v.Underline) {
    out += " style=";
    bool first = true;
    auto add = [&](bool on, const char* word) {
      if (!on) return;
      if (!first) out += ',';
      out += word;
      first = false;
    };
    add(v.Bold, "bold");
    add(v.Italic, "italic");
    add(v.StrikeOut, "strikeout");
    add(v.Underline, "underline");
  }
}

bool TFLEFont::Parse(std::string_view text, TFontData& v) {
  TFontData f;
  // The other parts are looked for around the name, so that a name holding "size="
  // is not read as one.
  std::string_view before = text, after;
  size_t p = text.find("name=\"");
  if (p != std::string_view::npos) {
    size_t start = p + 6;
    size_t end = text.find('"', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) f.Name.assign(text.substr(start, end - start));
    before = text.substr(0, p);
    after = end < text.size() ? text.substr(end + 1) : std::string_view();
  }
  auto part = [&](std::string_view key) -> std::string_view {
    for (std::string_view rest : {before, after}) {
      size_t q = rest.find(key);
      if (q == std::string_view::npos) continue;
      std::string_view s = rest.substr(q + key.size());
      return s.substr(0, s.find(' '));
    }
    return {};
  };
  bool valid;
  std::string_view size = part("size=");
  if (!size.empty()) {
    int n = StrToIntTolerant(size, valid);
    if (valid) f.Size = n;
  }
  std::string_view color = part("color=");
  if (!color.empty()) {
    int c = StrToIntTolerant(color, valid);
    if (valid) f.Color = static_cast<uint32_t>(c);
  }
  std::string_view style = part("style=");
  f.Bold = style.find("bold") != std::string_view::npos;
  f.Italic = style.find("italic") != std::string_view::npos;
  f.StrikeOut = style.find("strikeout") != std::string_view::npos;
  f.Underline = style.find("underline") != std::string_view::npos;
  v = std::move(f);
  return true;
}

void TFLEEnum::FormatValue(const int& v, std::string& out) const {
  if (v >= 0 && static_cast<size_t>(v) < Names.size()) out += Names[static_cast<size_t>(v)];
}

bool TFLEEnum::ParseValue(std::string_view text, int& v) const {
  for (size_t i = 0; i < Names.size(); ++i) {
    if (EqualNoCase(Names[i], text)) {
      v = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- sections

TFLSetList& ProjectSections() {
  static TFLSetList list;
  return list;
}

TFLSet::TFLSet(std::string_view name, TTarget target, TFLSetList* list)
    : Target(std::move(target)), SetName(name), List(list) {
  if (List) List->push_back(this);
}

TFLSet::~TFLSet() {
  if (List) List->erase(std::remove(List->begin(), List->end(), this), List->end());
}

void* TFLSet::CurrentTarget() {
  return gCurrentTarget;
}

TFLEintrag* TFLSet::Find(std::string_view key) const {
  for (const auto& e : EntryList)
    if (e->Name == key) return e.get();
  return nullptr;
}

void TFLSet::SaveSet(TFileLoad& file, void* obj) const {
  gCurrentTarget = obj;
  file.WriteLine(SetName);
  std::string line;
  for (const auto& e : EntryList) {
    if (!e->Stored) continue;
    line.assign(e->Name);
    line += ' ';
    e->Save(obj, line);
    file.WriteLine(line);
  }
  gCurrentTarget = nullptr;
}

void* TFLSet::LoadSet(TFileLoad& file) const {
  void* obj = GetTarget();
  LoadSetInto(file, obj);
  return obj;
}

void TFLSet::LoadSetInto(TFileLoad& file, void* obj) const {
  gCurrentTarget = obj;
  const size_t count = EntryList.size();
  size_t expected = 0;
  std::string_view line;
  // A key matches when it and a blank begin the line.
  auto matches = [&line](const TFLEintrag& e) {
    const std::string& k = e.Name;
    return line.size() > k.size() && line[k.size()] == ' ' &&
           std::char_traits<char>::compare(line.data(), k.data(), k.size()) == 0;
  };
  while (file.ReadLine(line)) {
    if (line.empty()) continue;
    if (line[0] == 'I') {
      file.PushBack(line);
      break;
    }
    size_t hit = count;
    if (expected < count && matches(*EntryList[expected])) {
      hit = expected;
    } else {
      for (size_t i = 0; i < count; ++i) {
        if (matches(*EntryList[i])) {
          hit = i;
          break;
        }
      }
    }
    if (hit == count) continue;  // a key of another version
    expected = hit + 1;
    if (obj) {
      const TFLEintrag& e = *EntryList[hit];
      e.Load(obj, line.substr(e.Name.size() + 1));
    }
  }
  gCurrentTarget = nullptr;
}

void TFLSet::ValueCopy(void* source, void* dest) const {
  if (!source || !dest) return;
  for (const auto& e : EntryList)
    e->ValueCopy(source, dest);
}

TFLSet* FindSection(const TFLSetList& list, std::string_view line) {
  std::string_view header = TrimRight(line);
  // An exact name first, so that a section named like the beginning of another one
  // ("IXLED" before "IXLEDBAR") does not capture the longer one's header.
  for (TFLSet* s : list)
    if (TrimRight(s->Name()) == header) return s;
  for (TFLSet* s : list) {
    std::string_view name = TrimRight(s->Name());
    if (!name.empty() && line.starts_with(name)) return s;
  }
  return nullptr;
}

// ---------------------------------------------------------------- files

bool Loading() {
  return gLoading.load();
}

TFileLoad& ProjectFileLoad() {
  static TFileLoad file;
  return file;
}

TFileLoad::~TFileLoad() {
  CloseQuietly();
}

void TFileLoad::CloseQuietly() {
  if (TempFd >= 0) {
    ::close(TempFd);
    ::unlink(TempName.c_str());
    TempFd = -1;
  }
  Mode = TMode::Closed;
  Storage.clear();
  Storage.shrink_to_fit();
  Text = {};
  Pos = 0;
  HasPushBack = false;
  OutBuffer.clear();
}

bool TFileLoad::OpenWrite(const std::string& fileName) {
  CloseQuietly();
  if (fileName.empty()) return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  // Write through a symbolic link to the file it names, keeping the link.
  fs::path target(fileName);
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (fs::is_directory(target, ec)) return false;
  std::string dir = target.parent_path().string();
  std::string base = target.filename().string();
  if (base.empty()) return false;
  std::string prefix = (dir.empty() ? std::string() : dir + "/") + "." + base + ".tmp";
  for (int attempt = 0; attempt < 16 && TempFd < 0; ++attempt) {
    static unsigned counter = 0;
    TempName = prefix + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    TempFd = ::open(TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (TempFd < 0 && errno != EEXIST) break;
  }
  if (TempFd < 0) return false;
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) ::fchmod(TempFd, old.st_mode & 07777);
  TargetName = target.string();
  Mode = TMode::Writing;
  return true;
}

bool TFileLoad::OpenRead(const std::string& fileName) {
  CloseQuietly();
  if (TrimRight(fileName).empty()) return false;
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<uint64_t>(st.st_size) <= MaxFileSize;
  if (ok) {
    Storage.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < Storage.size()) {
      ssize_t n = ::read(fd, Storage.data() + done, Storage.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the file shrank meanwhile: keep what was read
      done += static_cast<size_t>(n);
    }
    Storage.resize(done);
  }
  ::close(fd);
  if (!ok) {
    Storage.clear();
    return false;
  }
  Text = Storage;
  Pos = 0;
  HasPushBack = false;
  Mode = TMode::Reading;
  return true;
}

void TFileLoad::OpenText(std::string_view text) {
  CloseQuietly();
  Text = text;
  Mode = TMode::Reading;
}

void TFileLoad::WriteLine(std::string_view line) {
  if (Mode != TMode::Writing) return;
  line = TrimRight(line);
  size_t start = OutBuffer.size();
  OutBuffer.append(line);
  // A line break inside a value would split the line and let the rest be read as a
  // header or an entry of its own.
  for (size_t i = start; i < OutBuffer.size(); ++i)
    if (OutBuffer[i] == '\n' || OutBuffer[i] == '\r') OutBuffer[i] = ' ';
  OutBuffer += '\n';
}

bool TFileLoad::ReadLine(std::string_view& line) {
  if (Mode != TMode::Reading) return false;
  if (HasPushBack) {
    HasPushBack = false;
    line = PushedLine;
    return true;
  }
  if (Pos >= Text.size()) return false;
  const char* begin = Text.data() + Pos;
  const char* end = Text.data() + Text.size();
  const char* p = begin;
  while (p < end && *p != '\n' && *p != '\r')
    ++p;
  line = std::string_view(begin, static_cast<size_t>(p - begin));
  if (p < end) {
    if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
    ++p;
  }
  Pos = static_cast<size_t>(p - Text.data());
  return true;
}

void TFileLoad::PushBack(std::string_view line) {
  PushedLine.assign(line);
  HasPushBack = true;
}

bool TFileLoad::Close() {
  if (Mode != TMode::Writing) {
    CloseQuietly();
    return true;
  }
  bool ok = WriteAll(TempFd, OutBuffer) && ::fsync(TempFd) == 0;
  ok = ::close(TempFd) == 0 && ok;
  TempFd = -1;
  if (ok) ok = ::rename(TempName.c_str(), TargetName.c_str()) == 0;
  if (!ok) ::unlink(TempName.c_str());
  CloseQuietly();
  return ok;
}

// ---------------------------------------------------------------- projects

bool TFileLoad::SaveProject(TProjectWalk& project) {
  return SaveProject(project, ProjectFile());
}

bool TFileLoad::SaveProject(TProjectWalk& project, const std::string& fileName) {
  if (!OpenWrite(fileName)) return false;
  try {
    OutBuffer.reserve(size_t{1} << 16);
    auto write = [this](const TFLItem& item) {
      if (item.Set) item.Set->SaveSet(*this, item.Object);
    };
    write(project.General());
    const int ports = project.InterfaceCount();
    for (int i = 0; i < ports; ++i)
      write(project.Interface(i));
    const int sheets = project.SheetCount();
    for (int s = 0; s < sheets; ++s) {
      write(project.Sheet(s));
      const int n = project.InstrumentCount(s);
      for (int i = 0; i < n; ++i) {
        TFLItem item = project.Instrument(s, i);
        if (item.Attached) continue;
        if (!item.Set) {
          project.InternalError(SetNotAssignedMessage);
          continue;
        }
        write(item);
      }
    }
  } catch (...) {
    CloseQuietly();
    return false;
  }
  return Close();
}

void TFileLoad::LoadSections(const TFLSetList& list) {
  std::string_view line;
  while (ReadLine(line)) {
    if (line.empty() || line[0] != 'I') continue;  // outside a section
    const TFLSet* set = FindSection(list, line);
    if (set) set->LoadSet(*this);
  }
}

void TFileLoad::LoadOpenProject(TProjectWalk* /*project*/) {
  TLoadingScope scope(*this);
  try {
    LoadSections(ProjectSections());
  } catch (...) {
    // An accessor that ran out of memory: the objects made so far stay as they are.
  }
  gCurrentTarget = nullptr;
}

bool TFileLoad::LoadProject(TProjectWalk* project) {
  return LoadProject(project, ProjectFile());
}

bool TFileLoad::LoadProject(TProjectWalk* project, const std::string& fileName) {
  if (project) project->HidePropertyEditor();
  bool opened = false;
  try {
    opened = OpenRead(fileName);
  } catch (...) {
    CloseQuietly();
  }
  if (!opened) return false;
  LoadOpenProject(project);
  return true;
}

void TFileLoad::LoadProjectText(TProjectWalk* project, std::string_view text) {
  if (project) project->HidePropertyEditor();
  OpenText(text);
  LoadOpenProject(project);
}

}  // namespace tessaro
