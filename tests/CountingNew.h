#pragma once
// Replaces the global operator new with one that counts, so that a test or a benchmark can tell
// how often a piece of code allocates. Include it in exactly one source file of a program.

#include <atomic>
#include <cstdlib>
#include <new>

namespace tavlex::counting {
inline std::atomic<long> allocations{0};
inline std::atomic<long> releases{0};
inline long Allocations() {
  return allocations.load(std::memory_order_relaxed);
}
// Blocks allocated and not yet freed.
inline long Live() {
  return Allocations() - releases.load(std::memory_order_relaxed);
}
inline void Release(void* p) {
  if (p) releases.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}
}  // namespace tavlex::counting

void* operator new(std::size_t n) {
  tavlex::counting::allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  return operator new(n);
}
void operator delete(void* p) noexcept {
  tavlex::counting::Release(p);
}
void operator delete[](void* p) noexcept {
  tavlex::counting::Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  tavlex::counting::Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  tavlex::counting::Release(p);
}
