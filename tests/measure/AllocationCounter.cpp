// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/measure/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool counting = false;
thread_local long count = 0;
}  // namespace

namespace allocations {
void Begin() {
  count = 0;
  counting = true;
}
long End() {
  counting = false;
  return count;
}
}  // namespace allocations

#if LMX_COUNTS_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);

void* malloc(size_t size) {
  if (counting) ++count;
  return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
  if (counting) ++count;
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
  if (counting) ++count;
  return __libc_realloc(p, size);
}
}

void* operator new(size_t size) {
  void* p = malloc(size ? size : 1);  // counted by malloc
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
#endif
