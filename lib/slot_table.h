#pragma once

#include <QString>

#include <array>
#include <stdexcept>

namespace navlor {

// A process-wide table of texts numbered from 1, as the parameter lines and the "#" fields are
// numbered; a number outside 1..N is a programming error and throws instead of writing past
// the end.
template <int N> class SlotTable
{
public:
    static constexpr int size() { return N; }

    QString& operator[](int n) { return m_slots[index(n)]; }
    const QString& operator[](int n) const { return m_slots[index(n)]; }

    void clear()
    {
        for (QString& slot : m_slots)
            slot.clear();
    }
    // Empties slots 1 to n (all of them when n is N or more).
    void clearUpTo(int n)
    {
        for (int i = 1; i <= n && i <= N; ++i)
            m_slots[i - 1].clear();
    }

private:
    static std::size_t index(int n)
    {
        if (n < 1 || n > N)
            throw std::out_of_range("slot number out of range");
        return static_cast<std::size_t>(n - 1);
    }

    std::array<QString, N> m_slots;
};

} // namespace navlor
