#include "core/uBuffer.h"

namespace tessaro {

TBufferBase::TBufferBase(int capacity) : FCapacity(capacity < 1 ? 1 : capacity) {}

void TBufferBase::Clear() {
  std::lock_guard<std::mutex> g(Lock);
  CountA.store(0);
  CountB.store(0);
  ReadCount = 0;
  ReadIndex = -1;
}

bool TBufferBase::BeginRead() {
  bool a = WriteToA.load(std::memory_order_acquire);
  if ((a ? CountA : CountB).load(std::memory_order_acquire) == 0) return false;
  std::lock_guard<std::mutex> g(Lock);
  a = WriteToA.load(std::memory_order_relaxed);
  ReadCount = (a ? CountA : CountB).load(std::memory_order_relaxed);
  WriteToA.store(!a, std::memory_order_release);
  ReadIndex = -1;
  return true;
}

bool TBufferBase::Next() {
  ++ReadIndex;
  if (ReadIndex < ReadCount) return true;
  // The bank just read is finished; producers may fill it after the next swap.
  (WriteToA.load(std::memory_order_relaxed) ? CountB : CountA).store(0, std::memory_order_release);
  ReadCount = 0;
  ReadIndex = -1;
  return false;
}

void TBufferBase::Advance() {
  std::atomic<int>& count = WriteCountRef();
  int n = count.load(std::memory_order_relaxed) + 1;
  if (n >= FCapacity) {
    count.store(FCapacity - 1, std::memory_order_release);
    FireOverflow();
    return;
  }
  count.store(n, std::memory_order_release);
}

void TExtendBufferBase::Advance() {
  std::atomic<int>& count = WriteCountRef();
  int n = count.load(std::memory_order_relaxed);
  int limit = Limit.load(std::memory_order_relaxed);
  if (limit > 0 && n > limit) {
    FireOverflow();
    return;
  }
  ++n;
  count.store(n, std::memory_order_release);
  if (WriteBank() == 0) {
    if (n >= SizeA) SetSizeA(SizeA + FCapacity);
  } else {
    if (n >= SizeB) SetSizeB(SizeB + FCapacity);
  }
}

// ------------------------------------------------------------- rows of doubles

TRowBuffer::TRowBuffer(int capacity, int width)
    : TBufferBase(capacity), FWidth(width < 1 ? 1 : width) {
  SetWidth(FWidth);
}

void TRowBuffer::SetWidth(int width) {
  Clear();
  std::lock_guard<std::mutex> g(Lock);
  FWidth = width < 1 ? 1 : width;
  for (auto& b : Bank)
    b.assign(static_cast<size_t>(FCapacity) * static_cast<size_t>(FWidth), 0.0);
}

void TRowBuffer::Push(const double* row) {
  std::lock_guard<std::mutex> g(Lock);
  double* dst =
      Bank[WriteBank()].data() + static_cast<size_t>(WriteCount()) * static_cast<size_t>(FWidth);
  for (int i = 0; i < FWidth; ++i)
    dst[i] = row[i];
  Advance();
}

// ------------------------------------------------------------- recorder rows

TKombiArrayExtendBuffer::TKombiArrayExtendBuffer(int step, int width)
    : TExtendBufferBase(step), FWidth(width < 1 ? 1 : width) {
  SetSizeA(FCapacity);
  SetSizeB(FCapacity);
}

void TKombiArrayExtendBuffer::SetWidth(int width) {
  Clear();
  std::lock_guard<std::mutex> g(Lock);
  FWidth = width < 1 ? 1 : width;
  SetSizeA(FCapacity);
  SetSizeB(FCapacity);
}

void TKombiArrayExtendBuffer::SetSizeA(int size) {
  Bank[0].resize(static_cast<size_t>(size) * static_cast<size_t>(FWidth));
  SizeA = size;
}

void TKombiArrayExtendBuffer::SetSizeB(int size) {
  Bank[1].resize(static_cast<size_t>(size) * static_cast<size_t>(FWidth));
  SizeB = size;
}

void TKombiArrayExtendBuffer::BeginWrite() {
  Lock.lock();
}

TKombiCell* TKombiArrayExtendBuffer::WriteRow() {
  return Bank[WriteBank()].data() + static_cast<size_t>(WriteCount()) * static_cast<size_t>(FWidth);
}

void TKombiArrayExtendBuffer::SetCellNumber(int cell, double v) {
  if (cell < 0 || cell >= FWidth) return;
  TKombiCell& c = WriteRow()[cell];
  c.Number = v;
  c.IsNumber = true;
}

void TKombiArrayExtendBuffer::SetCellText(int cell, std::string_view s) {
  if (cell < 0 || cell >= FWidth) return;
  TKombiCell& c = WriteRow()[cell];
  c.Text.assign(s);
  c.IsNumber = false;
}

void TKombiArrayExtendBuffer::Commit() {
  Advance();
  Lock.unlock();
}

const TKombiCell& TKombiArrayExtendBuffer::ReadCell(int cell) const {
  static const TKombiCell empty;
  if (cell < 0 || cell >= FWidth) return empty;
  return Bank[ReadBank()][static_cast<size_t>(ReadIndex) * static_cast<size_t>(FWidth) +
                          static_cast<size_t>(cell)];
}

}  // namespace tessaro
