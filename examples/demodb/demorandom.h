// The demo data's random numbers: a fixed-seed xorshift generator of our own, so that every
// machine and every database gets exactly the same rows (std:: distributions are not portable).
#pragma once

#include <cstdint>

namespace varo::demo
{

class DemoRandom
{
public:
    explicit DemoRandom(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}

    std::uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    // A whole number from lo to hi, both included.
    int between(int lo, int hi)
    {
        const auto span = static_cast<std::uint32_t>(hi - lo + 1);
        return lo + static_cast<int>(next() % span);
    }

private:
    std::uint32_t m_state;
};

} // namespace varo::demo
