#pragma once

#include <QString>

#include <stdexcept>

namespace navlor {

// An error that ends the action in progress and is shown in the application's ordinary error
// box by the event loop (the conversion error of VALOR_INTEIRO, a Run key that cannot be set).
class AppError : public std::runtime_error
{
public:
    explicit AppError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace navlor
