// Memory for the large, long-lived blocks of a result (its row records and their texts). Blocks
// of 1 MB and more are rounded up to whole 2 MB pages and asked of the system as transparent huge
// pages: a million-row report otherwise spends much of its time faulting in a quarter of a million
// small pages.
#pragma once

#include <cstddef>

namespace varo
{

class BulkBlock
{
public:
    BulkBlock() = default;
    explicit BulkBlock(std::size_t bytes); // zero-filled
    ~BulkBlock();
    BulkBlock(BulkBlock &&other) noexcept;
    BulkBlock &operator=(BulkBlock &&other) noexcept;
    BulkBlock(const BulkBlock &) = delete;
    BulkBlock &operator=(const BulkBlock &) = delete;

    void *data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    void release();
    void *m_data = nullptr;
    std::size_t m_size = 0;
    bool m_mapped = false;
};

} // namespace varo
