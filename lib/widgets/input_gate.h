#pragma once

// While an archiver batch runs the console stays alive (it repaints, its clocks tick) but
// starts nothing else: the operator's clicks and keys reach only the controls let through, and
// a window asked to close closes once the batch has ended, as a click waiting in the queue
// would have closed it.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace navlor {

class InputGate : public QObject
{
public:
    // `allowed`: the controls (with what they hold) that still take clicks and keys.
    explicit InputGate(const QList<QWidget*>& allowed);
    ~InputGate() override;
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool letThrough(QObject* watched) const;

    QList<QPointer<QWidget>> m_allowed;
    QList<QPointer<QWidget>> m_closing;
};

} // namespace navlor
