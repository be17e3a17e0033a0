#include "expr/UFunctions.h"

#include <atomic>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>

#include "core/uIXElementBase.h"
#include "expr/UInterpreter.h"

namespace tessaro {

TFunctionDefins::TFunctionDefins(std::string_view name, bool variableArgs, int minArgs, int maxArgs,
                                 TFunctionRoutine evaluator)
    : Evaluator(evaluator),
      Name(name.substr(0, MaxFunctionNameLength)),
      VariableArgs(variableArgs),
      MinArgs(minArgs),
      MaxArgs(maxArgs) {}

double ErrorNaN() {
  return -std::numeric_limits<double>::quiet_NaN();
}

bool TruncToInt64(double x, long long& out) {
  // 2^63 is exactly representable; everything in (-2^63-1, 2^63) truncates safely.
  constexpr double Limit = 9223372036854775808.0;
  if (!(x > -Limit - 1024.0 && x < Limit)) return false;  // NaN fails both tests
  double t = std::trunc(x);
  if (t < -Limit) return false;
  out = static_cast<long long>(t);
  return true;
}

namespace {

double IntPower(double base, long long exponent) {
  unsigned long long i = exponent < 0 ? 0ull - static_cast<unsigned long long>(exponent)
                                      : static_cast<unsigned long long>(exponent);
  double result = 1.0;
  while (i > 0) {
    while ((i & 1) == 0) {
      i >>= 1;
      base *= base;
    }
    --i;
    result *= base;
  }
  if (exponent < 0)
    result =
        result == 0 ? std::copysign(std::numeric_limits<double>::infinity(), result) : 1.0 / result;
  return result;
}

}  // namespace

double PowerOf(double l, double r) {
  if (r == 0) return 1.0;
  if (l == 0 && r > 0) return 0.0;
  if (std::trunc(r) == r && std::fabs(r) <= 2147483647.0)
    return IntPower(l, static_cast<long long>(r));
  // exp(r * ln l): no real result for a negative base.
  if (l < 0 || std::isnan(l)) return ErrorNaN();
  return std::pow(l, r);
}

// ---------------------------------------------------------------- sheet switcher

namespace {
std::atomic<TSheetSwitcher*> gSheets{nullptr};
}  // namespace

void SetSheetSwitcher(TSheetSwitcher* s) {
  gSheets.store(s, std::memory_order_release);
}

// ---------------------------------------------------------------- built-in routines

namespace {

using S = TUPNStack;

void FnMin(TFunctionDefins&, S& s, int n) {
  // The last argument seeds the result: a NaN there stays, any other NaN is passed over.
  double m = s.Pop();
  for (int i = 1; i < n; ++i) {
    double x = s.Pop();
    if (x < m) m = x;
  }
  s.Push(m);
}

void FnMax(TFunctionDefins&, S& s, int n) {
  double m = s.Pop();
  for (int i = 1; i < n; ++i) {
    double x = s.Pop();
    if (x > m) m = x;
  }
  s.Push(m);
}

void FnPi(TFunctionDefins&, S& s, int) {
  s.Push(3.141592653589793);
}

void FnSheet(TFunctionDefins&, S& s, int) {
  double x = s.Pop();
  TSheetSwitcher* sw = gSheets.load(std::memory_order_acquire);
  if (!sw) {
    s.Push(0);
    return;
  }
  int current = sw->CurrentSheet();
  int count = sw->SheetCount();
  if (x >= 1.0 && x < static_cast<double>(count) + 1.0) {
    int n = static_cast<int>(x);
    if (n != current) sw->RequestSheet(n);
    s.Push(n);
  } else {
    s.Push(current);
  }
}

void FnIf(TFunctionDefins&, S& s, int n) {
  double otherwise = n >= 3 ? s.Pop() : 0.0;
  double then = s.Pop();
  double condition = s.Pop();
  s.Push(condition > 0.000001 ? then : otherwise);
}

template <double (*F)(double)>
void Unary(TFunctionDefins&, S& s, int) {
  s.Push(F(s.Pop()));
}

double Sin(double x) {
  return ::sin(x);
}
double Cos(double x) {
  return std::cos(x);
}
double Tan(double x) {
  return std::tan(x);
}
double ArcSin(double x) {
  return x >= -1.0 && x <= 1.0 ? std::asin(x) : ErrorNaN();
}
double ArcCos(double x) {
  return x >= -1.0 && x <= 1.0 ? std::acos(x) : ErrorNaN();
}
double ArcTan(double x) {
  return std::atan(x);
}
double Deg(double x) {
  return x * 180.0 / 3.141592653589793;
}
double Rad(double x) {
  return x * 3.141592653589793 / 180.0;
}
double Sqrt(double x) {
  return x >= 0 ? std::sqrt(x) : ErrorNaN();
}
double Log(double x) {
  return x > 0 ? std::log10(x) : ErrorNaN();
}
double Ln(double x) {
  return x > 0 ? std::log(x) : ErrorNaN();
}
double Abs(double x) {
  return std::fabs(x);
}

double RoundHalfUpReal(double x) {
  double t = std::trunc(x);
  return x > 0 && x - t >= 0.5 ? t + 1.0 : t;
}

void FnNRoot(TFunctionDefins&, S& s, int) {
  double y = s.Pop();
  double x = s.Pop();
  if (!(y >= 0) || x == 0 || std::isnan(x)) {
    s.Push(ErrorNaN());
    return;
  }
  s.Push(PowerOf(y, 1.0 / x));
}

void FnEule(TFunctionDefins&, S& s, int) {
  s.Push(2.718281828459045);
}

bool LocalNow(std::tm& tm) {
  std::time_t t = std::time(nullptr);
  return localtime_r(&t, &tm) != nullptr;
}

double DatePart(const std::tm& tm) {
  return (tm.tm_year + 1900) * 10000.0 + (tm.tm_mon + 1) * 100.0 + tm.tm_mday;
}
double TimePart(const std::tm& tm) {
  return tm.tm_hour * 10000.0 + tm.tm_min * 100.0 + tm.tm_sec;
}

void FnDateTime(TFunctionDefins&, S& s, int) {
  std::tm tm{};
  s.Push(LocalNow(tm) ? DatePart(tm) * 1000000.0 + TimePart(tm) : 0.0);
}
void FnDate(TFunctionDefins&, S& s, int) {
  std::tm tm{};
  s.Push(LocalNow(tm) ? DatePart(tm) : 0.0);
}
void FnTime(TFunctionDefins&, S& s, int) {
  std::tm tm{};
  s.Push(LocalNow(tm) ? TimePart(tm) : 0.0);
}

void FnNull(TFunctionDefins&, S& s, int n) {
  for (int i = 0; i < n; ++i)
    s.Pop();
  s.Push(0);
}

void FnAns(TFunctionDefins&, S& s, int) {
  s.Push(AnsValue);
}

void FnRound(TFunctionDefins&, S& s, int n) {
  if (n < 2) {
    s.Push(RoundHalfUpReal(s.Pop()));
    return;
  }
  double y = s.Pop();
  double x = s.Pop();
  if (std::isnan(y)) {
    s.Push(ErrorNaN());
    return;
  }
  double p = PowerOf(10.0, std::nearbyint(y));  // halves to even
  if (p == 0) {
    s.Push(x * 0.0);  // rounding to beyond 1E308: 0 (NaN stays NaN)
    return;
  }
  s.Push(RoundHalfUpReal(x * p) / p);
}

void FnNot(TFunctionDefins&, S& s, int) {
  s.Push(TrueAnd(s.Pop()) ? 0.0 : 1.0);
}

void FnBitNot(TFunctionDefins&, S& s, int) {
  double y = s.Pop();
  double x = s.Pop();
  long long v;
  if (std::isnan(y) || !TruncToInt64(x, v)) {
    s.Push(ErrorNaN());
    return;
  }
  int bits = y < 1 ? 1 : y > 32 ? 32 : static_cast<int>(y);
  unsigned long long mask = (1ull << bits) - 1;
  s.Push(static_cast<double>(mask & ~static_cast<unsigned long long>(v)));
}

template <typename T>
void FnIntN(TFunctionDefins&, S& s, int) {
  long long v;
  if (!TruncToInt64(s.Pop(), v)) {
    s.Push(ErrorNaN());
    return;
  }
  // Keeps the low bits; the conversion of an unsigned value to a narrower signed type
  // wraps (defined since C++20).
  s.Push(static_cast<double>(static_cast<T>(static_cast<unsigned long long>(v))));
}

struct TBuiltin {
  const char* Name;
  bool VariableArgs;
  int MinArgs;
  int MaxArgs;
  TFunctionRoutine Routine;
  TUnaryRoutine Direct = nullptr;
};

const TBuiltin Builtins[] = {
    {"min", true, 1, 0, FnMin},
    {"max", true, 1, 0, FnMax},
    {"pi", false, 0, 0, FnPi},
    {"sheet", false, 1, 1, FnSheet},
    {"if", true, 2, 3, FnIf},
    {"sin", false, 1, 1, Unary<Sin>, Sin},
    {"cos", false, 1, 1, Unary<Cos>, Cos},
    {"tan", false, 1, 1, Unary<Tan>, Tan},
    {"arcsin", false, 1, 1, Unary<ArcSin>, ArcSin},
    {"arccos", false, 1, 1, Unary<ArcCos>, ArcCos},
    {"arctan", false, 1, 1, Unary<ArcTan>, ArcTan},
    {"deg", false, 1, 1, Unary<Deg>, Deg},
    {"rad", false, 1, 1, Unary<Rad>, Rad},
    {"sqrt", false, 1, 1, Unary<Sqrt>, Sqrt},
    {"nroot", false, 2, 2, FnNRoot},
    {"eule", false, 0, 0, FnEule},
    {"log", false, 1, 1, Unary<Log>, Log},
    {"ln", false, 1, 1, Unary<Ln>, Ln},
    {"abs", false, 1, 1, Unary<Abs>, Abs},
    {"datetime", false, 0, 0, FnDateTime},
    {"date", false, 0, 0, FnDate},
    {"time", false, 0, 0, FnTime},
    {"null", true, 1, 0, FnNull},
    {"ans", false, 0, 0, FnAns},
    {"round", true, 1, 2, FnRound},
    {"not", false, 1, 1, FnNot},
    {"bitnot", false, 2, 2, FnBitNot},
    {"int8", false, 1, 1, FnIntN<int8_t>},
    {"int16", false, 1, 1, FnIntN<int16_t>},
    {"int32", false, 1, 1, FnIntN<int32_t>},
    {"uint8", false, 1, 1, FnIntN<uint8_t>},
    {"uint16", false, 1, 1, FnIntN<uint16_t>},
    {"uint32", false, 1, 1, FnIntN<uint32_t>},
};
static_assert(std::size(Builtins) < FunctionSlots, "Internal Error: Functions-Array too small");

}  // namespace

const std::array<TFunctionDefins*, FunctionSlots>& FunctionTable() {
  static std::vector<std::unique_ptr<TFunctionDefins>> owned;
  static const std::array<TFunctionDefins*, FunctionSlots> table = [] {
    std::array<TFunctionDefins*, FunctionSlots> t{};
    size_t i = 0;
    for (const TBuiltin& b : Builtins) {
      owned.push_back(std::make_unique<TFunctionDefins>(b.Name, b.VariableArgs, b.MinArgs,
                                                        b.MaxArgs, b.Routine));
      owned.back()->Unary = b.Direct;
      t[i++] = owned.back().get();
    }
    return t;
  }();
  return table;
}

// ---------------------------------------------------------------- lookup tables

namespace {

void FnLookup(TFunctionDefins& d, S& s, int) {
  double x = s.Pop();
  s.Push(static_cast<TDynaFunctionDefins&>(d).Owner.Lookup(x));
}

std::vector<TDynaFunctionDefins*> gLookups;

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

}  // namespace

TDynaFunctionDefins::TDynaFunctionDefins(TLookupTable& owner)
    : TFunctionDefins("", false, 1, 1, FnLookup), Owner(owner) {}

TLookupTable::TLookupTable() : Definition(*this) {}

TLookupTable::~TLookupTable() {
  // A destroyed table must not stay where the lexer looks.
  std::erase(gLookups, &Definition);
}

const std::vector<TDynaFunctionDefins*>& LookupFunctions() {
  return gLookups;
}
void ClearLookupFunctions() {
  gLookups.clear();
}

void RegisterLookupFunctions(const TInstrumentWalk& walk) {
  gLookups.clear();
  struct TFound {
    TIXElementBase* Element;
    TLookupTable* Table;
    std::string Name;
  };
  std::vector<TFound> unique, duplicates;
  walk.ForEachInstrument([&](TIXElementBase& e) {
    if (e.ElementType != etLookupTable || e.GetDisabled()) return;
    auto* table = dynamic_cast<TLookupTable*>(&e);
    if (!table) return;
    if (!table->LoadTable()) {
      e.CompiledOk = false;
      return;
    }
    TFound f{&e, table, Lower(table->LookupName())};
    for (auto it = unique.begin(); it != unique.end(); ++it) {
      if (it->Name == f.Name) {
        duplicates.push_back(*it);
        unique.erase(it);
        duplicates.push_back(f);
        return;
      }
    }
    for (const TFound& d : duplicates) {
      if (d.Name == f.Name) {
        duplicates.push_back(f);
        return;
      }
    }
    unique.push_back(f);
  });
  for (const TFound& f : unique) {
    TDynaFunctionDefins& def = f.Table->Function();
    def.Name = f.Name.substr(0, MaxFunctionNameLength);
    gLookups.push_back(&def);
    f.Element->CompiledOk = true;
  }
  for (const TFound& f : duplicates)
    f.Element->CompiledOk = false;
}

}  // namespace tessaro
