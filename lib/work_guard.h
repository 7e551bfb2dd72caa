#pragma once

namespace navlor {

// Clicks that arrive while the message loop runs inside an archiver run wait for the next turn
// instead of starting another run over the first.
class WorkGuard
{
public:
    explicit WorkGuard(bool& working) : m_working(working), m_entered(!working)
    {
        m_working = true;
    }
    ~WorkGuard()
    {
        if (m_entered)
            m_working = false;
    }
    bool entered() const { return m_entered; }
    WorkGuard(const WorkGuard&) = delete;
    WorkGuard& operator=(const WorkGuard&) = delete;

private:
    bool& m_working;
    bool m_entered;
};

} // namespace navlor
