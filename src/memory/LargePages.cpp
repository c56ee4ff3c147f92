// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/LargePages.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <vector>

namespace orvanta::memory {

namespace {

std::uintptr_t Up(std::uintptr_t at) {
    return (at + kLargePage - 1) & ~(kLargePage - 1);
}

std::size_t Mapped(std::size_t bytes) {
    return static_cast<std::size_t>(Up(bytes));
}

// What operator new guarantees, asked for explicitly so that the heap's
// blocks are freed the same way.
constexpr std::align_val_t kHeapAlign{__STDCPP_DEFAULT_NEW_ALIGNMENT__};

struct Block {
    char* data;
    std::size_t size; // a multiple of kLargePage
};

// Large blocks freed, for the next ones. Never destroyed: blocks may be
// freed by other static objects' destructors at exit.
struct Kept {
    std::mutex lock;
    std::vector<Block> blocks;
    std::size_t bytes = 0;
};

Kept& KeptBlocks() {
    static Kept* const kept = new Kept;
    return *kept;
}

// A kept block of at least `size` bytes, the rest of it kept on; null when
// none is that large.
void* TakeKept(std::size_t size) {
    Kept& kept = KeptBlocks();
    std::lock_guard guard(kept.lock);
    auto best = kept.blocks.end();
    for (auto it = kept.blocks.begin(); it != kept.blocks.end(); ++it)
        if (it->size >= size && (best == kept.blocks.end() || it->size < best->size))
            best = it;
    if (best == kept.blocks.end())
        return nullptr;
    char* data = best->data;
    if (best->size == size) {
        kept.blocks.erase(best);
    } else {
        best->data += size;
        best->size -= size;
    }
    kept.bytes -= size;
    return data;
}

void* MapAligned(std::size_t size) {
    // Mapped one large page longer, and the slack on either side of the
    // aligned block given back: the block starts on a large page.
    void* mapped = ::mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto at = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t begin = Up(at);
    if (begin > at)
        ::munmap(mapped, begin - at);
    if (const std::size_t after = at + kLargePage - begin; after > 0)
        ::munmap(reinterpret_cast<void*>(begin + size), after);
    (void)::madvise(reinterpret_cast<void*>(begin), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(begin);
}

std::size_t CheckedSize(std::size_t bytes) {
    if (bytes > static_cast<std::size_t>(-1) - 2 * kLargePage)
        throw std::bad_alloc();
    return Mapped(bytes);
}

} // namespace

void AdviseLargePages(void* data, std::size_t bytes) noexcept {
    const auto at = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = Up(at);
    const std::uintptr_t end = (at + bytes) & ~(kLargePage - 1);
    if (end > begin)
        (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void* AllocateLarge(std::size_t bytes) {
    if (bytes < kLargePage)
        return ::operator new(std::max<std::size_t>(bytes, 1), kHeapAlign);
    const std::size_t size = CheckedSize(bytes);
    if (void* data = TakeKept(size))
        return data;
    return MapAligned(size);
}

void FreeLarge(void* data, std::size_t bytes) noexcept {
    if (data == nullptr)
        return;
    if (bytes < kLargePage) {
        ::operator delete(data, kHeapAlign);
        return;
    }
    const std::size_t size = Mapped(bytes);
    Kept& kept = KeptBlocks();
    {
        std::lock_guard guard(kept.lock);
        if (kept.bytes + size <= kKeptBytes) {
            try {
                kept.blocks.push_back({static_cast<char*>(data), size});
                kept.bytes += size;
                return;
            } catch (...) {
                // No room to note it: given back below.
            }
        }
    }
    ::munmap(data, size);
}

void ReleaseKept() noexcept {
    Kept& kept = KeptBlocks();
    std::vector<Block> blocks;
    {
        std::lock_guard guard(kept.lock);
        blocks.swap(kept.blocks);
        kept.bytes = 0;
    }
    for (const Block& block : blocks)
        ::munmap(block.data, block.size);
}

} // namespace orvanta::memory
