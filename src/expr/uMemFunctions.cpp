#include "expr/uMemFunctions.h"

#include <cmath>
#include <limits>

#include "expr/UInterpreter.h"

namespace tessaro {

namespace {

std::vector<std::unique_ptr<TMemFunction>> gInstances;

void StoreValTrampoline(TFunctionDefins& d, TUPNStack& s, int n) {
  static_cast<TMemFunction&>(d).StoreVal(s, n);
}

// last and z: the value of the argument at the previous evaluation.
class TMemFctLast : public TMemFunction {
 public:
  using TMemFunction::TMemFunction;
  void StoreVal(TUPNStack& s, int) override {
    double x = s.Pop();
    s.Push(Stored);
    Stored = x;
  }
  void Reset() override { Stored = 0; }

 private:
  double Stored = 0;
};

class TMemFctZ : public TMemFctLast {
 public:
  using TMemFctLast::TMemFctLast;
};

class TMemFctSeqMin : public TMemFunction {
 public:
  using TMemFunction::TMemFunction;
  void StoreVal(TUPNStack& s, int) override {
    double x = s.Pop();
    if (x < Stored) Stored = x;
    s.Push(Stored);
  }
  void Reset() override { Stored = std::numeric_limits<double>::infinity(); }

 private:
  double Stored = std::numeric_limits<double>::infinity();
};

class TMemFctSeqMax : public TMemFunction {
 public:
  using TMemFunction::TMemFunction;
  void StoreVal(TUPNStack& s, int) override {
    double x = s.Pop();
    if (x > Stored) Stored = x;
    s.Push(Stored);
  }
  void Reset() override { Stored = -std::numeric_limits<double>::infinity(); }

 private:
  double Stored = -std::numeric_limits<double>::infinity();
};

class TMemFctCount : public TMemFunction {
 public:
  using TMemFunction::TMemFunction;
  void StoreVal(TUPNStack& s, int) override {
    Stored += 1;
    s.Push(Stored);
  }
  void Reset() override { Stored = 0; }

 private:
  double Stored = 0;
};

// floatavg(x; m): the moving average of x over a window of m values; the window starts
// filled with zeros, so the average ramps up over the first m evaluations.
class TMemFctFloatAvg : public TMemFunction {
 public:
  using TMemFunction::TMemFunction;
  void StoreVal(TUPNStack& s, int) override {
    double m = s.Pop();
    double x = s.Pop();
    if (std::isnan(m) || m >= MaxFloatAvgWindow + 1.0) {
      // No window can be that large (or NaN long): the state stays as it is.
      s.Push(ErrorNaN());
      return;
    }
    int n = m <= 0 ? 0 : static_cast<int>(m);
    if (n <= 0) {
      s.Push(0);
      return;
    }
    if (n != Length) {
      // Allocates only when the window size changes (the first evaluation).
      Length = n;
      Buffer.assign(static_cast<size_t>(n), 0.0);
      Buffer[0] = x;
      Average = x / n;
      Next = 1 % n;
      s.Push(Average);
      return;
    }
    Average += (x - Buffer[static_cast<size_t>(Next)]) / n;
    Buffer[static_cast<size_t>(Next)] = x;
    if (++Next >= n) Next = 0;
    s.Push(Average);
  }
  void Reset() override {
    for (double& v : Buffer)
      v = 0;
    Average = 0;
  }

 private:
  std::vector<double> Buffer;
  int Length = 0;
  int Next = 0;
  double Average = 0;
};

template <typename T>
std::unique_ptr<TMemFunction> Make(const TFunctionDefins& factory) {
  return std::make_unique<T>(factory);
}

}  // namespace

TMemFunction::TMemFunction(const TFunctionDefins& factory)
    : TFunctionDefins(factory.Name, factory.VariableArgs, factory.MinArgs, factory.MaxArgs,
                      StoreValTrampoline) {}

TMemFunctionDefins::TMemFunctionDefins(std::string_view name, bool variableArgs, int minArgs,
                                       int maxArgs, TCreate create)
    : TFunctionDefins(name, variableArgs, minArgs, maxArgs, nullptr), Make(create) {}

TMemFunction* TMemFunctionDefins::Create() const {
  gInstances.push_back(Make(*this));
  return gInstances.back().get();
}

const std::vector<TMemFunctionDefins*>& MemFunctionFactories() {
  static TMemFunctionDefins owned[] = {
      {"last", false, 1, 1, Make<TMemFctLast>},
      {"z", false, 1, 1, Make<TMemFctZ>},
      {"seqmin", false, 1, 1, Make<TMemFctSeqMin>},
      {"seqmax", false, 1, 1, Make<TMemFctSeqMax>},
      {"count", false, 0, 0, Make<TMemFctCount>},
      {"floatavg", false, 2, 2, Make<TMemFctFloatAvg>},
  };
  static const std::vector<TMemFunctionDefins*> factories = [] {
    std::vector<TMemFunctionDefins*> v;
    for (TMemFunctionDefins& f : owned)
      v.push_back(&f);
    return v;
  }();
  return factories;
}

int MemFunctionCount() {
  return static_cast<int>(gInstances.size());
}
TMemFunction* MemFunctionAt(int i) {
  return gInstances[static_cast<size_t>(i)].get();
}

void ResetAll() {
  for (auto& m : gInstances)
    m->Reset();
}

void FreeAllMemFunctions() {
  gInstances.clear();
}

}  // namespace tessaro
