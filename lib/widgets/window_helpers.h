#pragma once

// What every window of the console does the same way: where it first appears, and the global
// pointer through which the rest of the program finds it.

class QWidget;

namespace navlor {

// Places the window's frame in the middle of the free area of its screen (taskbars left out),
// at its present size.
void centreOnScreen(QWidget& window);

// A window's member that keeps its global pointer (F_BKPA...) at the window while it lives.
// The pointer is cleared at the end only while it is still the window's: a newer window of
// the same kind has taken it over and keeps it.
template <typename T> class SingleInstance
{
public:
    SingleInstance(T*& slot, T* instance) : m_slot(slot), m_instance(instance)
    {
        m_slot = m_instance;
    }
    ~SingleInstance()
    {
        if (m_slot == m_instance)
            m_slot = nullptr;
    }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

private:
    T*& m_slot;
    T* const m_instance;
};

} // namespace navlor
