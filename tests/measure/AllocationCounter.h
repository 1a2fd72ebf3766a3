// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Counts heap allocations (operator new and malloc) made by this thread
// between Begin and End. Not available under the sanitizers, which own
// malloc, nor on Windows, where a program cannot take over the malloc of the
// DLLs it uses (Qt's, the C runtime's).

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(_WIN32)
#define LMX_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LMX_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef LMX_COUNTS_ALLOCATIONS
#define LMX_COUNTS_ALLOCATIONS 1
#endif

namespace allocations {
void Begin();
long End();  // allocations since Begin
}  // namespace allocations
