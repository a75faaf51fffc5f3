#include "bulkmemory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace varo
{

namespace
{
constexpr std::size_t kHugePage = std::size_t(2) << 20;
}

BulkBlock::BulkBlock(std::size_t bytes) : m_size(bytes)
{
    if (bytes >= kHugePage / 2) {
        // Rounded up to whole huge pages: a block just under one would get none.
        bytes = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        m_size = bytes;
        // Map a huge page more than asked, then keep a stretch aligned to a huge page.
        const std::size_t span = bytes + kHugePage;
        void *raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw != MAP_FAILED) {
            const auto start = reinterpret_cast<std::uintptr_t>(raw);
            const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
            const std::size_t head = aligned - start;
            const std::size_t tail = span - head - bytes;
            if (head)
                munmap(raw, head);
            if (tail)
                munmap(reinterpret_cast<void *>(aligned + bytes), tail);
            m_data = reinterpret_cast<void *>(aligned);
            m_mapped = true;
            madvise(m_data, bytes, MADV_HUGEPAGE);
            return;
        }
    }
    m_data = std::calloc(bytes ? bytes : 1, 1);
    if (!m_data)
        throw std::bad_alloc();
}

BulkBlock::~BulkBlock()
{
    release();
}

BulkBlock::BulkBlock(BulkBlock &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_mapped(std::exchange(other.m_mapped, false))
{
}

BulkBlock &BulkBlock::operator=(BulkBlock &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mapped = std::exchange(other.m_mapped, false);
    }
    return *this;
}

void BulkBlock::release()
{
    if (!m_data)
        return;
    if (m_mapped)
        munmap(m_data, m_size);
    else
        std::free(m_data);
    m_data = nullptr;
}

} // namespace varo
