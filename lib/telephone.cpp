#include "lib/telephone.h"

#include "lib/platform/platform.h"
#include "lib/text_utils.h"

#include <algorithm>

namespace navlor {

QString dialableNumber(const QString& number)
{
    QString text = trimControls(number);
    const qsizetype blank = text.indexOf(u' ');
    if (blank >= 0)
        text.truncate(blank);
    const qsizetype pause = text.indexOf(u',');
    QString digits = LIMPA_PONTUACAO(text);
    // The pause goes back where the comma stood in the text as given, counted before the
    // punctuation went; past the end it is appended.
    if (pause >= 0)
        digits.insert(std::min(pause, digits.size()), u',');
    return digits;
}

void DISCA_TELEFONE(const QString& number, const QString& party, const QString& application)
{
    (void)platform().placeCall(dialableNumber(number), party, application, QStringLiteral("Teste"));
}

} // namespace navlor
