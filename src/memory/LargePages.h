// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memory asked for in large pages (2 MiB) where the system has them. A run
// over a million addresses writes several hundred megabytes of tables that
// are fresh each time; in pages of 4 KiB each one costs the system a fault,
// and those faults cost more than filling the tables. In large pages they
// fault in a few hundred times.
//
//     std::vector<Entry, LargePageAllocator<Entry>> entries;
//     entries.reserve(1 << 20);       // 2 MiB and over: mapped in large pages
//
//     AdviseLargePages(buffer.data(), bytes);   // memory someone else owns
#include <cstddef>
#include <new>

namespace orvanta::memory {

inline constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Asks for the whole large pages inside [data, data + bytes) to be large;
// the rest stays as it is. Only advice: nothing changes when the system
// has no large pages.
void AdviseLargePages(void* data, std::size_t bytes) noexcept;

// Blocks of kLargePage and more are aligned to a large page and advised as
// above; smaller ones come from the heap. A large block freed is kept for
// the next ones (up to kKeptBytes in all), so that memory a big run frees
// and asks for again is neither faulted in nor cleared again: its contents
// are whatever they were.
inline constexpr std::size_t kKeptBytes = std::size_t{128} << 20;
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* data, std::size_t bytes) noexcept;
// Gives the kept blocks back to the system: when a big run is over.
void ReleaseKept() noexcept;

template <class T> struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <class U> LargePageAllocator(const LargePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLarge(n * sizeof(T)));
    }
    void deallocate(T* data, std::size_t n) noexcept { FreeLarge(data, n * sizeof(T)); }

    template <class U> bool operator==(const LargePageAllocator<U>&) const noexcept { return true; }
};

} // namespace orvanta::memory
