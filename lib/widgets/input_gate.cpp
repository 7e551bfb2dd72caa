#include "lib/widgets/input_gate.h"

#include <QCoreApplication>
#include <QEvent>

namespace navlor {

InputGate::InputGate(const QList<QWidget*>& allowed)
{
    for (QWidget* widget : allowed)
        m_allowed << widget;
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

InputGate::~InputGate()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    for (const QPointer<QWidget>& window : m_closing) {
        if (window)
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    }
}

bool InputGate::letThrough(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    for (const QPointer<QWidget>& allowed : m_allowed) {
        if (allowed && widget && (widget == allowed || allowed->isAncestorOf(widget)))
            return true;
    }
    return false;
}

bool InputGate::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return !letThrough(watched);
    case QEvent::Close:
        // A window closed in the middle would leave the batch without its console.
        if (auto* window = qobject_cast<QWidget*>(watched)) {
            if (!m_closing.contains(window))
                m_closing << window;
            event->ignore();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace navlor
