#pragma once

#include <QString>

namespace navlor {

// The folder browser, titled T, with S pre-selected when S is an existing directory. The
// directory picked, or, when the operator cancels, S (empty when S was no directory).
QString ESCOLHE_DIRETORIO(const QString& s, const QString& t);

} // namespace navlor
