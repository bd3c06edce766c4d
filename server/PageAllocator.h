// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memory for a connection's bytes (what it reads, the body it sends) in whole pages taken from the system and given
// straight back. From the heap, what a crowd of stalled uploads held stays with the process after they end, pinned
// by the small things that outlive them; pages of their own go back the moment they are freed.

#include <sys/mman.h>

#include <cstddef>
#include <limits>
#include <new>

namespace gw::scores {

template <typename T>
struct PageAllocator {
  using value_type = T;

  PageAllocator() = default;
  template <typename U>
  PageAllocator(const PageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n == 0) return nullptr;
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    void* pages = ::mmap(nullptr, n * sizeof(T), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) throw std::bad_alloc();
    return static_cast<T*>(pages);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (p != nullptr) ::munmap(p, n * sizeof(T));
  }

  template <typename U>
  bool operator==(const PageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace gw::scores
