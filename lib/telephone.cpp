#include "lib/telephone.h"

#include "lib/platform/platform.h"
#include "lib/text_utils.h"

namespace navlor {

QString dialableNumber(const QString& number)
{
    QString text = trimControls(number);
    const qsizetype blank = text.indexOf(u' ');
    if (blank >= 0)
        text.truncate(blank);
    const qsizetype pause = text.indexOf(u',');
    if (pause < 0)
        return LIMPA_PONTUACAO(text);
    // Cleaned on both sides of the pause, so that punctuation removed before it cannot move
    // the pause into the middle of the number.
    return LIMPA_PONTUACAO(text.left(pause)) + u',' + LIMPA_PONTUACAO(text.mid(pause + 1));
}

void DISCA_TELEFONE(const QString& number, const QString& party, const QString& application)
{
    (void)platform().placeCall(dialableNumber(number), party, application, QStringLiteral("Teste"));
}

} // namespace navlor
