#pragma once

#include "views/plot/SeriesValues.h"

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace slm
{

// One trend's slots, kept in blocks that snapshots share instead of copying. A snapshot holds
// the blocks it was taken from; a later write into a shared block copies that block first, so
// the snapshot keeps its values and an open live graph costs a block at a time, not a buffer.
class TrendBuffer
{
public:
    static constexpr int BlockSlots = 1 << 14; // 128 KiB of values
    using Block = std::array<double, BlockSlots>;

    explicit TrendBuffer(int slots);

    std::size_t size() const { return std::size_t(m_slots); }
    double operator[](std::size_t slot) const { return (*m_blocks[slot / BlockSlots])[slot % BlockSlots]; }
    void set(int slot, double value);

    class Snapshot;
    // Slots 0..count-1 as they are now; count is capped at the buffer's size.
    std::shared_ptr<const Snapshot> snapshot(int count) const;

private:
    std::vector<std::shared_ptr<Block>> m_blocks; // all allocated at once, written in place
    int m_slots = 0;
};

class TrendBuffer::Snapshot : public SeriesValues
{
public:
    Snapshot(std::vector<std::shared_ptr<const Block>> blocks, int count)
        : m_blocks(std::move(blocks)), m_count(count)
    {
    }
    int size() const override { return m_count; }
    double at(int index) const override
    {
        return (*m_blocks[size_t(index) / BlockSlots])[size_t(index) % BlockSlots];
    }

private:
    std::vector<std::shared_ptr<const Block>> m_blocks;
    int m_count = 0;
};

using TrendSnapshot = TrendBuffer::Snapshot;

} // namespace slm
