#include "core/uBuffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace tessaro;

namespace {

template <typename Buf, typename Read>
std::vector<int> Drain(Buf& b, Read read) {
  std::vector<int> out;
  if (b.BeginRead())
    while (b.Next())
      out.push_back(read(b));
  return out;
}

TEST(FixedBuffer, DeliversCapacityMinusOneAndFiresOverflowForTheRest) {
  TStringBuffer b(4);
  int overflows = 0;
  b.OnOverflow = [&] { ++overflows; };
  for (int i = 1; i <= 6; ++i)
    b.Push(std::to_string(i));
  EXPECT_EQ(overflows, 3);
  std::vector<int> got = Drain(b, [](TStringBuffer& s) { return std::stoi(s.Read()); });
  EXPECT_EQ(got, (std::vector<int>{1, 2, 3}));
}

TEST(GrowingBuffer, SendQueueKeepsLimitPlusOne) {
  TStringIntExtendBuffer q(15);
  q.SetLimit(100);
  int overflows = 0;
  q.OnOverflow = [&] { ++overflows; };
  for (int i = 1; i <= 103; ++i)
    q.Push("#1F1;", i);
  EXPECT_EQ(overflows, 2);
  std::vector<int> got = Drain(q, [](TStringIntExtendBuffer& s) { return s.Read().Value; });
  ASSERT_EQ(got.size(), 101u);
  for (int i = 0; i < 101; ++i)
    EXPECT_EQ(got[static_cast<size_t>(i)], i + 1);
}

TEST(GrowingBuffer, UnlimitedGrowsInSteps) {
  TStringExtendBuffer b(3);
  for (int i = 0; i < 50; ++i)
    b.Push(std::to_string(i));
  std::vector<int> got = Drain(b, [](TStringExtendBuffer& s) { return std::stoi(s.Read()); });
  ASSERT_EQ(got.size(), 50u);
  EXPECT_EQ(got.back(), 49);
}

TEST(Buffer, EmptyBeginReadDoesNotSwap) {
  TCharBuffer b(10);
  EXPECT_FALSE(b.BeginRead());
  b.Push('a');
  ASSERT_TRUE(b.BeginRead());
  ASSERT_TRUE(b.Next());
  EXPECT_EQ(b.Read(), 'a');
  // Pushed while the consumer drains: lands in the other bank, seen next time.
  b.Push('b');
  b.Push('c');
  EXPECT_FALSE(b.Next());
  std::vector<int> got = Drain(b, [](TCharBuffer& s) { return static_cast<int>(s.Read()); });
  EXPECT_EQ(got, (std::vector<int>{'b', 'c'}));
  EXPECT_FALSE(b.BeginRead());
}

TEST(Buffer, ClearEmptiesBothBanks) {
  TStringBoolBuffer b(8);
  b.Push("x", true);
  b.Clear();
  EXPECT_FALSE(b.BeginRead());
}

TEST(RowBuffer, RowsOfWidthAndWidthChangeEmpties) {
  TDoubleArrayBuffer b(5, 3);
  const double r1[] = {1, 2, 3};
  b.Push(r1);
  b.SetWidth(2);
  EXPECT_FALSE(b.BeginRead());
  const double r2[] = {7, 8};
  b.Push(r2);
  ASSERT_TRUE(b.BeginRead());
  ASSERT_TRUE(b.Next());
  EXPECT_EQ(b.Read()[0], 7);
  EXPECT_EQ(b.Read()[1], 8);
  EXPECT_FALSE(b.Next());
}

TEST(KombiBuffer, CellsKeepTheirKind) {
  TKombiArrayExtendBuffer b(2, 2);
  for (int i = 0; i < 5; ++i) {
    b.BeginWrite();
    b.SetCellNumber(0, i);
    b.SetCellText(1, "t" + std::to_string(i));
    b.Commit();
  }
  ASSERT_TRUE(b.BeginRead());
  int rows = 0;
  while (b.Next()) {
    EXPECT_TRUE(b.CellIsNumber(0));
    EXPECT_FALSE(b.CellIsNumber(1));
    EXPECT_EQ(b.CellNumber(0), rows);
    EXPECT_EQ(b.CellText(1), "t" + std::to_string(rows));
    ++rows;
  }
  EXPECT_EQ(rows, 5);
}

TEST(Buffer, ProducersAndOneConsumerLoseNothingBelowTheLimit) {
  TStringIntExtendBuffer q(64);
  constexpr int Producers = 4, PerProducer = 20000;
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int p = 0; p < Producers; ++p)
    threads.emplace_back([&, p] {
      for (int i = 0; i < PerProducer; ++i)
        q.Push("#5F1;", p * PerProducer + i);
      done.fetch_add(1);
    });
  std::vector<int> lastSeen(Producers, -1);
  int received = 0;
  auto drain = [&] {
    if (!q.BeginRead()) return;
    while (q.Next()) {
      int v = q.Read().Value;
      int p = v / PerProducer;
      EXPECT_GT(v, lastSeen[static_cast<size_t>(p)]);  // each producer's order kept
      lastSeen[static_cast<size_t>(p)] = v;
      ++received;
    }
  };
  while (done.load() < Producers)
    drain();
  for (auto& t : threads)
    t.join();
  drain();
  drain();
  EXPECT_EQ(received, Producers * PerProducer);
}

}  // namespace
