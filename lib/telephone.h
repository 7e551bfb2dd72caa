#pragma once

#include <QString>

namespace navlor {

// The number as it is dialled: trimmed, cut at its first blank, without punctuation, with one
// "," (the dialling pause) put back at the position of the first "," in the text as given.
QString dialableNumber(const QString& number);

// Asks the telephony assistant to call the number, for the called party, on behalf of the
// application, with the comment "Teste". The result is not examined.
void DISCA_TELEFONE(const QString& number, const QString& party, const QString& application);

} // namespace navlor
