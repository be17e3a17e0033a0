// The function library of formulas: the definition record that the lexer looks names up
// in and the parser checks argument counts against, the table of built-in functions,
// the functions that lookup-table instruments provide, and the narrow interface through
// which sheet(n) asks the window to show another sheet.
//
// Threads: the tables are built once (first use) and read by the compile pass in the main
// thread. Evaluation routines run under TTerminal's ReceiveLock (or while disconnected).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

class TUPNStack;
class TFunctionDefins;
class TInstrumentWalk;

// Evaluation routine of a function: pops its `argCount` arguments (the last argument
// first), pushes exactly one result. `def` is the object the routine is bound to.
using TFunctionRoutine = void (*)(TFunctionDefins& def, TUPNStack& stack, int argCount);
// The same for a function of one number without state: the interpreter calls it on
// the top of the stack directly.
using TUnaryRoutine = double (*)(double x);

constexpr int MaxFunctionNameLength = 20;
constexpr int FunctionSlots = 100;

class TFunctionDefins {
 public:
  TFunctionDefins(std::string_view name, bool variableArgs, int minArgs, int maxArgs,
                  TFunctionRoutine evaluator);
  virtual ~TFunctionDefins() = default;
  TFunctionDefins(const TFunctionDefins&) = delete;
  TFunctionDefins& operator=(const TFunctionDefins&) = delete;

  TFunctionRoutine Evaluator;
  std::string Name;  // lower case, at most 20 characters
  bool VariableArgs;
  int MinArgs;
  int MaxArgs;  // with VariableArgs: 0 means no upper limit
  TUnaryRoutine Unary = nullptr;

  // The parser's argument-count rule.
  bool AcceptsArgCount(int n) const {
    if (!VariableArgs) return n == MinArgs;
    return n >= MinArgs && (MaxArgs == 0 || n <= MaxArgs);
  }
};

// The built-in functions, in the order the lexer tries them; unused slots are null.
const std::array<TFunctionDefins*, FunctionSlots>& FunctionTable();

// ---------------------------------------------------------------- sheet(n)

// What sheet(n) needs of the window. SheetCount and CurrentSheet may be read from a
// receive thread and must be cheap and thread-safe (the window keeps them in atomics);
// RequestSheet hands the switch to the main thread (a posted event) and returns at once.
// Sheets are counted from 1.
class TSheetSwitcher {
 public:
  virtual ~TSheetSwitcher() = default;
  virtual int SheetCount() const = 0;
  virtual int CurrentSheet() const = 0;
  virtual void RequestSheet(int sheet) = 0;
};

// Installed by the compile pass; null: sheet(n) yields 0.
void SetSheetSwitcher(TSheetSwitcher* s);

// ---------------------------------------------------------------- lookup tables

class TLookupTable;

// The function a lookup-table instrument provides: one argument, the table lookup.
class TDynaFunctionDefins : public TFunctionDefins {
 public:
  explicit TDynaFunctionDefins(TLookupTable& owner);
  TLookupTable& Owner;
};

// What a lookup-table instrument (type 18) provides to formulas. The compile pass finds
// it among the instruments by a cast, has it load its table and registers its function
// under its name when the name is unique.
class TLookupTable {
 public:
  TLookupTable();
  virtual ~TLookupTable();
  TLookupTable(const TLookupTable&) = delete;
  TLookupTable& operator=(const TLookupTable&) = delete;

  // The instrument's name; the function is called by it in lower case.
  virtual std::string LookupName() const = 0;
  // Loads the table file; returns whether the table is ready. Main thread.
  virtual bool LoadTable() = 0;
  // Maps x to y. Runs wherever formulas are evaluated (under ReceiveLock).
  virtual double Lookup(double x) const = 0;

  TDynaFunctionDefins& Function() { return Definition; }

 private:
  TDynaFunctionDefins Definition;
};

// The lookup-table functions the lexer consults, in registration order.
const std::vector<TDynaFunctionDefins*>& LookupFunctions();
void ClearLookupFunctions();
// The registration step of the compile pass: every enabled lookup-table instrument
// loads its table; the loaded ones with a unique (case-insensitive) name provide their
// function and are marked compiled, all others are marked not compiled.
void RegisterLookupFunctions(const TInstrumentWalk& walk);

// The value of a "quiet NaN with the sign bit set" that arithmetic errors yield.
double ErrorNaN();

// Truncates toward zero to a 64-bit integer; false for NaN, infinities and values
// outside the 64-bit range.
bool TruncToInt64(double x, long long& out);

// l raised to r by the rules of the "^" operator.
double PowerOf(double l, double r);

}  // namespace tessaro
