// Double buffers for every hand-over between threads. Producers (any number of threads)
// append to one bank under a short lock while the one consumer drains the other bank
// without a lock; BeginRead swaps the banks.
//
//   if (buf.BeginRead()) while (buf.Next()) Use(buf.Read());
//
// Fixed buffers (TBufferBase) never allocate after construction and deliver at most
// capacity - 1 entries per bank: the first ones pushed; every further push fires the
// overflow event. Growing buffers (TExtendBufferBase) enlarge a bank in steps of
// `capacity` entries up to limit + 1 entries (limit 0 = unlimited).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaro {

class TBufferBase {
 public:
  using TOverflowEvent = std::function<void()>;

  explicit TBufferBase(int capacity);
  virtual ~TBufferBase() = default;
  TBufferBase(const TBufferBase&) = delete;
  TBufferBase& operator=(const TBufferBase&) = delete;

  // Called (under the buffer's lock, in the pushing thread) whenever a push finds the
  // buffer full. Set it before producers start.
  TOverflowEvent OnOverflow;

  virtual void Clear();
  // Consumer: swaps the banks if the write bank has entries; false (and no swap) if not.
  virtual bool BeginRead();
  // Consumer: moves to the next entry of the bank being read; false when it is drained.
  bool Next();

  int Capacity() const { return FCapacity; }
  // Entries waiting in the write bank (a snapshot).
  int Pending() const {
    return WriteToA.load(std::memory_order_acquire) ? CountA.load() : CountB.load();
  }

 protected:
  // Under Lock, after the entry was written at WriteCount() of the write bank.
  virtual void Advance();
  bool WritingA() const { return WriteToA.load(std::memory_order_relaxed); }
  std::atomic<int>& WriteCountRef() { return WritingA() ? CountA : CountB; }
  int WriteCount() const {
    return WritingA() ? CountA.load(std::memory_order_relaxed)
                      : CountB.load(std::memory_order_relaxed);
  }
  // Bank the consumer reads: 0 = A, 1 = B.
  int ReadBank() const { return WritingA() ? 1 : 0; }
  int WriteBank() const { return WritingA() ? 0 : 1; }
  void FireOverflow() {
    if (OnOverflow) OnOverflow();
  }

  int FCapacity;
  std::atomic<int> CountA{0};
  std::atomic<int> CountB{0};
  int ReadCount = 0;
  int ReadIndex = -1;
  std::atomic<bool> WriteToA{true};
  std::mutex Lock;
};

class TExtendBufferBase : public TBufferBase {
 public:
  explicit TExtendBufferBase(int step) : TBufferBase(step) {}
  // 0 = unlimited; otherwise a bank holds at most Limit + 1 entries.
  void SetLimit(int limit) { Limit.store(limit < 0 ? 0 : limit); }
  int GetLimit() const { return Limit.load(); }

 protected:
  void Advance() override;
  // Enlarges one bank to `size` entries.
  virtual void SetSizeA(int size) = 0;
  virtual void SetSizeB(int size) = 0;

  std::atomic<int> Limit{0};
  int SizeA = 0;
  int SizeB = 0;
};

// ------------------------------------------------------------- fixed, one entry
template <typename T>
class TFixedBuffer : public TBufferBase {
 public:
  explicit TFixedBuffer(int capacity)
      : TBufferBase(capacity), Bank{std::vector<T>(Slots()), std::vector<T>(Slots())} {}

  void Push(const T& v) {
    std::lock_guard<std::mutex> g(Lock);
    Bank[WriteBank()][static_cast<size_t>(WriteCount())] = v;
    Advance();
  }
  const T& Read() const { return Bank[ReadBank()][static_cast<size_t>(ReadIndex)]; }

 protected:
  T& Slot() { return Bank[WriteBank()][static_cast<size_t>(WriteCount())]; }

 private:
  size_t Slots() const { return static_cast<size_t>(FCapacity); }
  std::vector<T> Bank[2];
};

class TCharBuffer : public TFixedBuffer<char> {
 public:
  using TFixedBuffer::TFixedBuffer;
};

class TStringBuffer : public TFixedBuffer<std::string> {
 public:
  using TFixedBuffer::Push;
  using TFixedBuffer::TFixedBuffer;
  void Push(std::string_view s) {
    std::lock_guard<std::mutex> g(Lock);
    Slot().assign(s);
    Advance();
  }
};

struct TStringBool {
  std::string Text;
  bool Flag = false;
};

class TStringBoolBuffer : public TFixedBuffer<TStringBool> {
 public:
  using TFixedBuffer::TFixedBuffer;
  void Push(std::string_view s, bool flag) {
    std::lock_guard<std::mutex> g(Lock);
    TStringBool& e = Slot();
    e.Text.assign(s);
    e.Flag = flag;
    Advance();
  }
};

// ------------------------------------------------------------- fixed, rows of doubles
class TRowBuffer : public TBufferBase {
 public:
  explicit TRowBuffer(int capacity, int width = 2);
  // Empties the buffer, then reallocates both banks for capacity x width cells.
  void SetWidth(int width);
  int Width() const { return FWidth; }
  // Pushes one row of Width() doubles.
  void Push(const double* row);
  const double* Read() const {
    return Bank[ReadBank()].data() + static_cast<size_t>(ReadIndex) * static_cast<size_t>(FWidth);
  }

 private:
  int FWidth;
  std::vector<double> Bank[2];
};

class TRealArrayBuffer : public TRowBuffer {
 public:
  using TRowBuffer::TRowBuffer;
};
class TDoubleArrayBuffer : public TRowBuffer {
 public:
  using TRowBuffer::TRowBuffer;
};

// ------------------------------------------------------------- growing
template <typename T>
class TGrowingBuffer : public TExtendBufferBase {
 public:
  explicit TGrowingBuffer(int step) : TExtendBufferBase(step) {
    SetSizeA(FCapacity);
    SetSizeB(FCapacity);
  }
  const T& Read() const { return Bank[ReadBank()][static_cast<size_t>(ReadIndex)]; }

 protected:
  T& Slot() { return Bank[WriteBank()][static_cast<size_t>(WriteCount())]; }
  void SetSizeA(int size) override {
    Bank[0].resize(static_cast<size_t>(size));
    SizeA = size;
  }
  void SetSizeB(int size) override {
    Bank[1].resize(static_cast<size_t>(size));
    SizeB = size;
  }

 private:
  std::vector<T> Bank[2];
};

class TStringExtendBuffer : public TGrowingBuffer<std::string> {
 public:
  using TGrowingBuffer::TGrowingBuffer;
  void Push(std::string_view s) {
    std::lock_guard<std::mutex> g(Lock);
    Slot().assign(s);
    Advance();
  }
};

struct TStringInt {
  std::string Text;
  int Value = 0;
};

class TStringIntExtendBuffer : public TGrowingBuffer<TStringInt> {
 public:
  using TGrowingBuffer::TGrowingBuffer;
  void Push(std::string_view s, int v) {
    std::lock_guard<std::mutex> g(Lock);
    TStringInt& e = Slot();
    e.Text.assign(s);
    e.Value = v;
    Advance();
  }
};

// A cell of the recorder buffer: a string or a double, and which of the two is valid.
struct TKombiCell {
  std::string Text;
  double Number = 0;
  bool IsNumber = false;
};

// Rows of `width` cells, written cell by cell between BeginWrite and Commit.
class TKombiArrayExtendBuffer : public TExtendBufferBase {
 public:
  explicit TKombiArrayExtendBuffer(int step, int width = 2);
  void SetWidth(int width);
  int Width() const { return FWidth; }

  // Producer: takes the lock; then SetCell... for the row; Commit advances and unlocks.
  void BeginWrite();
  void SetCellNumber(int cell, double v);
  void SetCellText(int cell, std::string_view s);
  void Commit();

  // Consumer, after Next() returned true.
  bool CellIsNumber(int cell) const { return ReadCell(cell).IsNumber; }
  double CellNumber(int cell) const { return ReadCell(cell).Number; }
  const std::string& CellText(int cell) const { return ReadCell(cell).Text; }

 protected:
  void SetSizeA(int size) override;
  void SetSizeB(int size) override;

 private:
  const TKombiCell& ReadCell(int cell) const;
  TKombiCell* WriteRow();
  int FWidth;
  std::vector<TKombiCell> Bank[2];
};

}  // namespace tessaro
