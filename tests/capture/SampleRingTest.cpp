// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleRing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

namespace {

std::vector<int16_t> counting(int from, int n) {
  std::vector<int16_t> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = static_cast<int16_t>(from + i);
  return v;
}

std::vector<int16_t> popAll(SampleRing& ring) {
  std::vector<int16_t> out(ring.capacity());
  out.resize(ring.pop(out.data(), out.size()));
  return out;
}

TEST(SampleRing, CapacityIsRoundedUpToAPowerOfTwo) {
  EXPECT_EQ(SampleRing(1000).capacity(), 1024u);
  EXPECT_EQ(SampleRing(8).capacity(), 8u);
  EXPECT_EQ(SampleRing().capacity(), 65536u);
}

TEST(SampleRing, KeepsOrderAcrossWrapAround) {
  SampleRing ring(16);  // never overfilled below: at most 4 left plus 7 new
  int next = 0;         // next value to push
  int expected = 0;     // next value to pop
  // Uneven chunk sizes move the wrap point through every slot.
  for (int round = 0; round < 40; ++round) {
    const int n = 1 + round % 7;
    const auto chunk = counting(next, n);
    ASSERT_EQ(ring.push(chunk.data(), chunk.size()), chunk.size());
    next += n;
    // Pop in pieces smaller than what was pushed, leaving a remainder behind.
    int16_t out[3];
    const size_t got = ring.pop(out, 3);
    for (size_t i = 0; i < got; ++i) ASSERT_EQ(out[i], static_cast<int16_t>(expected++));
    if (ring.available() > 4) {
      for (int16_t v : popAll(ring)) ASSERT_EQ(v, static_cast<int16_t>(expected++));
    }
  }
  for (int16_t v : popAll(ring)) ASSERT_EQ(v, static_cast<int16_t>(expected++));
  EXPECT_EQ(expected, next);
  EXPECT_EQ(ring.delivered(), static_cast<uint64_t>(next));
}

TEST(SampleRing, FullRingDropsTheSurplusButCountsIt) {
  SampleRing ring(8);
  const auto first = counting(0, 5);
  const auto second = counting(100, 6);
  EXPECT_EQ(ring.push(first.data(), first.size()), 5u);
  EXPECT_EQ(ring.push(second.data(), second.size()), 3u);
  EXPECT_EQ(ring.push(second.data(), second.size()), 0u);
  EXPECT_EQ(ring.delivered(), 17u);

  // Unread samples are never overwritten: the oldest eight survive.
  EXPECT_EQ(popAll(ring), (std::vector<int16_t>{0, 1, 2, 3, 4, 100, 101, 102}));

  // Room again once read.
  EXPECT_EQ(ring.push(second.data(), 2), 2u);
  EXPECT_EQ(popAll(ring), (std::vector<int16_t>{100, 101}));
  EXPECT_EQ(ring.delivered(), 19u);
}

TEST(SampleRing, DiscardAllForgetsEverythingPushedBefore) {
  SampleRing ring(16);
  const auto old = counting(0, 11);
  ring.push(old.data(), old.size());
  int16_t one;
  ASSERT_EQ(ring.pop(&one, 1), 1u);

  ring.discardAll();
  EXPECT_EQ(ring.available(), 0u);
  EXPECT_EQ(ring.pop(&one, 1), 0u);
  EXPECT_EQ(ring.delivered(), 11u);  // discarding does not undo deliveries

  // The whole capacity is free again, and only the new samples come out.
  const auto fresh = counting(500, 16);
  EXPECT_EQ(ring.push(fresh.data(), fresh.size()), 16u);
  EXPECT_EQ(popAll(ring), fresh);
}

// A producer thread streams a counting sequence in random chunks while the
// consumer pops random amounts and now and then discards. The producer re-offers
// whatever a full ring refused, so the stored stream has no gaps: every popped
// run must continue exactly where the previous one ended, or, after discards,
// jump ahead by no more than the ring could have held at each of them.
TEST(SampleRing, ProducerAndConsumerThreadsSeeOneGapFreeSequence) {
  SampleRing ring(1024);
  std::atomic<bool> done{false};
  uint64_t offered = 0;

  std::thread producer([&] {
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> size(1, 700);
    std::vector<int16_t> chunk(700);
    uint16_t next = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (std::chrono::steady_clock::now() < end) {
      const size_t n = static_cast<size_t>(size(rng));
      for (size_t i = 0; i < n; ++i) chunk[i] = static_cast<int16_t>(static_cast<uint16_t>(next + i));
      next = static_cast<uint16_t>(next + ring.push(chunk.data(), n));
      offered += n;
    }
    done.store(true, std::memory_order_release);
  });

  std::mt19937 rng(2);
  std::uniform_int_distribution<int> size(1, 900);
  std::uniform_int_distribution<int> dice(0, 15);
  std::vector<int16_t> out(900);
  uint16_t expected = 0;
  uint64_t discards = 0;  // since the last popped run
  uint64_t popped = 0;
  uint64_t lastDelivered = 0;
  bool ok = true;
  for (;;) {
    const bool finished = done.load(std::memory_order_acquire);
    const uint64_t delivered = ring.delivered();
    ok = ok && delivered >= lastDelivered;
    lastDelivered = delivered;

    if (dice(rng) == 0) {
      ring.discardAll();
      ++discards;
      continue;
    }
    const size_t got = ring.pop(out.data(), static_cast<size_t>(size(rng)));
    if (got > 0) {
      const uint16_t first = static_cast<uint16_t>(out[0]);
      const uint64_t skipped = static_cast<uint16_t>(first - expected);
      const uint64_t mostSkipped = discards * ring.capacity();
      if (mostSkipped < 65536 && skipped > mostSkipped) {
        ADD_FAILURE() << "run starts at " << first << ", expected " << expected;
        ok = false;
      }
      for (size_t i = 1; i < got; ++i) {
        if (static_cast<uint16_t>(out[i]) != static_cast<uint16_t>(first + i)) {
          ADD_FAILURE() << "run broken at offset " << i;
          ok = false;
          break;
        }
      }
      expected = static_cast<uint16_t>(first + got);
      discards = 0;
      popped += got;
    }
    if (!ok) break;
    // Checked before the last pop, so nothing pushed earlier can be left behind.
    if (finished && ring.available() == 0) break;
  }
  producer.join();

  EXPECT_TRUE(ok);
  EXPECT_GT(popped, 0u);
  EXPECT_EQ(ring.delivered(), offered);
}

}  // namespace
