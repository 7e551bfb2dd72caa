#pragma once

#include <QString>

namespace navlor {

// The number as it is dialled: trimmed, cut at its first blank, without punctuation, with a
// "," (the dialling pause) kept after the digits it followed.
QString dialableNumber(const QString& number);

// Asks the telephony assistant to call the number, for the called party, on behalf of the
// application, with the comment "Teste". The result is not examined.
void DISCA_TELEFONE(const QString& number, const QString& party, const QString& application);

} // namespace navlor
