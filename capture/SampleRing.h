// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hands samples from the audio thread (the single producer) to the UI thread
// (the single consumer) without locks, allocation or blocking. The storage is
// allocated once; a full ring drops the newest samples instead of overwriting
// unread ones, so what the consumer reads is always a gap-free run.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

class SampleRing {
 public:
  static constexpr size_t kDefaultCapacity = 65536;  // ~1.5 s at 44100 Hz

  // `capacity` is rounded up to a power of two.
  explicit SampleRing(size_t capacity = kDefaultCapacity)
      : capacity_(roundUp(capacity)),
        mask_(capacity_ - 1),
        data_(new int16_t[capacity_]()) {}

  SampleRing(const SampleRing&) = delete;
  SampleRing& operator=(const SampleRing&) = delete;

  size_t capacity() const { return capacity_; }

  // Producer: stores as many of the `n` samples as fit and returns that number;
  // the rest are dropped. All `n` count as delivered.
  size_t push(const int16_t* src, size_t n) {
    const size_t w = write_.load(std::memory_order_relaxed);
    const size_t r = read_.load(std::memory_order_acquire);
    const size_t k = std::min(n, capacity_ - (w - r));
    copyIn(w, src, k);
    write_.store(w + k, std::memory_order_release);
    // Counted after publishing, so a consumer that sees the count also sees the samples.
    delivered_.fetch_add(n, std::memory_order_release);
    return k;
  }

  // Consumer: moves up to `max` samples, oldest first, into `dst`.
  size_t pop(int16_t* dst, size_t max) {
    const size_t r = read_.load(std::memory_order_relaxed);
    const size_t w = write_.load(std::memory_order_acquire);
    const size_t k = std::min(max, w - r);
    copyOut(r, dst, k);
    read_.store(r + k, std::memory_order_release);
    return k;
  }

  // Consumer: forgets everything stored so far.
  void discardAll() {
    read_.store(write_.load(std::memory_order_acquire), std::memory_order_release);
  }

  // Consumer: samples waiting to be popped.
  size_t available() const {
    return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
  }

  // Samples ever offered to push, including dropped ones.
  uint64_t delivered() const { return delivered_.load(std::memory_order_acquire); }

 private:
  static size_t roundUp(size_t n) {
    size_t c = 1;
    while (c < n) c <<= 1;
    return c;
  }

  // Indices run freely and are masked on access; unsigned wrap-around keeps
  // `w - r` correct because the capacity is a power of two.
  void copyIn(size_t at, const int16_t* src, size_t k) {
    const size_t i = at & mask_;
    const size_t first = std::min(k, capacity_ - i);
    if (first) std::memcpy(data_.get() + i, src, first * sizeof(int16_t));
    if (k > first) std::memcpy(data_.get(), src + first, (k - first) * sizeof(int16_t));
  }

  void copyOut(size_t at, int16_t* dst, size_t k) const {
    const size_t i = at & mask_;
    const size_t first = std::min(k, capacity_ - i);
    if (first) std::memcpy(dst, data_.get() + i, first * sizeof(int16_t));
    if (k > first) std::memcpy(dst + first, data_.get(), (k - first) * sizeof(int16_t));
  }

  static_assert(std::atomic<size_t>::is_always_lock_free, "ring indices must be lock-free");
  static_assert(std::atomic<uint64_t>::is_always_lock_free, "delivered counter must be lock-free");

  const size_t capacity_;
  const size_t mask_;
  const std::unique_ptr<int16_t[]> data_;
  // Each index on its own cache line: one is written by the producer, the other by the consumer.
  alignas(64) std::atomic<size_t> write_{0};
  alignas(64) std::atomic<size_t> read_{0};
  alignas(64) std::atomic<uint64_t> delivered_{0};
};
