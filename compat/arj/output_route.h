#pragma once

// arj writes to this process's standard output itself. While a RoutedOutput lives, what is
// written there goes through a pipe and reaches the real standard output line by line,
// rewritten, as it comes: a long add still shows each file as it is stored.

#include <QByteArray>

#include <atomic>
#include <functional>
#include <thread>

namespace navlor::arj {

class RoutedOutput
{
public:
    using Rewrite = std::function<QByteArray(const QByteArray& line)>;

    // Without a pipe to be had, the output is left as it is.
    explicit RoutedOutput(Rewrite rewrite);
    // Standard output back in place; what is left in the pipe is passed on first.
    ~RoutedOutput();

    RoutedOutput(const RoutedOutput&) = delete;
    RoutedOutput& operator=(const RoutedOutput&) = delete;

private:
    void pass();
    void write(const QByteArray& bytes) const;

    Rewrite m_rewrite;
    int m_saved = -1; // the real standard output
    int m_read = -1;
    std::atomic<bool> m_closing{false};
    std::thread m_thread;
};

} // namespace navlor::arj
