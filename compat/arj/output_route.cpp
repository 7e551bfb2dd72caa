#include "compat/arj/output_route.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace navlor::arj {

namespace {

// A line without its end this long after its last byte is a question waiting for an answer
// (or a file being compressed): shown as it stands.
constexpr int kPartialMs = 100;
constexpr int kQuickReads = 32;
constexpr useconds_t kGatherUs = 2000;

} // namespace

RoutedOutput::RoutedOutput(Rewrite rewrite) : m_rewrite(std::move(rewrite))
{
    std::fflush(stdout);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    m_saved = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    // dup2 leaves the new descriptor inheritable: arj gets the pipe as its standard output.
    if (m_saved < 0 || ::dup2(fds[1], STDOUT_FILENO) < 0) {
        if (m_saved >= 0)
            ::close(m_saved);
        m_saved = -1;
        ::close(fds[0]);
        ::close(fds[1]);
        return;
    }
    ::close(fds[1]);
    m_read = fds[0];
    m_thread = std::thread([this] { pass(); });
}

RoutedOutput::~RoutedOutput()
{
    if (m_saved < 0)
        return;
    std::fflush(stdout);
    ::dup2(m_saved, STDOUT_FILENO);
    // The pipe ends when arj has gone; anything arj left behind holding it is not waited for.
    m_closing = true;
    m_thread.join();
    ::close(m_read);
    ::close(m_saved);
}

void RoutedOutput::write(const QByteArray& bytes) const
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_saved, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

void RoutedOutput::pass()
{
    QByteArray pending;
    char buffer[65536];
    int reads = 0;
    for (;;) {
        pollfd fd{m_read, POLLIN, 0};
        const int ready = ::poll(&fd, 1, kPartialMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            if (!pending.isEmpty())
                write(m_rewrite(std::exchange(pending, QByteArray())));
            if (m_closing)
                break;
            continue;
        }
        const ssize_t n = ::read(m_read, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, n);
        // arj flushes every line: past the first few, what a short while brings is read at
        // once rather than waking for each line (a sixth more time on an add of 5,000 small
        // files), while a short run is not held up.
        if (++reads > kQuickReads)
            ::usleep(kGatherUs);
        QByteArray lines;
        qsizetype start = 0;
        for (qsizetype end = pending.indexOf('\n'); end >= 0;
             start = end + 1, end = pending.indexOf('\n', start))
            lines += m_rewrite(pending.mid(start, end - start)) + '\n';
        pending.remove(0, start);
        write(lines);
    }
    if (!pending.isEmpty())
        write(m_rewrite(pending));
}

} // namespace navlor::arj
