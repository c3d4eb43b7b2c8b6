#include "graphs/TrendBuffer.h"

#include <algorithm>

namespace slm
{

TrendBuffer::TrendBuffer(int slots) : m_slots(std::max(0, slots))
{
    const int blocks = (m_slots + BlockSlots - 1) / BlockSlots;
    m_blocks.reserve(size_t(blocks));
    for (int i = 0; i < blocks; ++i)
        m_blocks.push_back(std::make_shared<Block>());
}

void TrendBuffer::set(int slot, double value)
{
    std::shared_ptr<Block>& block = m_blocks[size_t(slot) / BlockSlots];
    // A snapshot still reads this block: it keeps the old one, the buffer writes a copy.
    if (block.use_count() > 1)
        block = std::make_shared<Block>(*block);
    (*block)[size_t(slot) % BlockSlots] = value;
}

std::shared_ptr<const TrendBuffer::Snapshot> TrendBuffer::snapshot(int count) const
{
    count = std::clamp(count, 0, m_slots);
    const size_t used = (size_t(count) + BlockSlots - 1) / BlockSlots;
    std::vector<std::shared_ptr<const Block>> blocks(m_blocks.begin(),
                                                     m_blocks.begin() + std::ptrdiff_t(used));
    return std::make_shared<const Snapshot>(std::move(blocks), count);
}

} // namespace slm
