#include "lib/text_utils.h"

#include <optional>

namespace navlor {

namespace {

constexpr qsizetype kTailLimit = 2550;

bool isControlOrBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

// Delphi's StrToInt on what is left: an optional leading minus and at least one digit.
std::optional<int> toInteger(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && text.at(i) == u'-') {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

QString trimControls(const QString& s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && isControlOrBlank(s.at(first)))
        ++first;
    while (last > first && isControlOrBlank(s.at(last - 1)))
        --last;
    return s.mid(first, last - first);
}

QString TROCA_TEXTO(const QString& s, const QString& o, const QString& r, int m)
{
    if (s.isEmpty() || o.isEmpty())
        return s;
    QString result;
    QString rest = s;
    while (!rest.isEmpty()) {
        const qsizetype at = rest.indexOf(o);
        if (at < 0)
            return result + rest;
        result += rest.left(at);
        result += r;
        rest = rest.mid(at + o.size(), kTailLimit);
        if (m == 1)
            return result + rest;
    }
    return result;
}

QString BRANCOS(int n)
{
    return n > 0 ? QString(n, u' ') : QString();
}

QString ZEROS(int n)
{
    return n > 0 ? QString(n, u'0') : QString();
}

QString COMPLETA_BRANCOS(const QString& v, int w)
{
    if (w == 0)
        w = static_cast<int>(v.size());
    if (w < 0)
        return {};
    QString text = v;
    if (text.size() < w)
        text += BRANCOS(w - static_cast<int>(text.size()));
    return text.left(w);
}

QString COMPLETA_BRANCOS(int v, int w)
{
    return COMPLETA_BRANCOS(QString::number(v), w);
}

QString COMPLETA_ZEROS(const QString& v, int w)
{
    QString text = trimControls(v);
    if (w == 0)
        w = static_cast<int>(text.size());
    if (w < 0)
        return {};
    if (text.size() < w)
        text.prepend(ZEROS(w - static_cast<int>(text.size())));
    return text.right(w);
}

QString COMPLETA_ZEROS(int v, int w)
{
    return COMPLETA_ZEROS(QString::number(v), w);
}

std::optional<int> VALOR_INTEIRO(const QString& s)
{
    QString text = MANTEM_CARACTERES(trimControls(s), QStringLiteral("-0123456789"));
    if (text.isEmpty())
        text = QStringLiteral("0");
    // Nine characters always fit in 32 bits.
    text.truncate(9);
    return toInteger(text);
}

QString MANTEM_CARACTERES(const QString& s, const QString& c)
{
    QString result;
    for (const QChar ch : s) {
        if (c.contains(ch))
            result += ch;
    }
    return result;
}

QString REMOVE_CARACTERES(const QString& s, const QString& c)
{
    QString result;
    for (const QChar ch : s) {
        if (!c.contains(ch))
            result += ch;
    }
    return result;
}

bool EM_BRANCO(const QString& s)
{
    return trimControls(REMOVE_CARACTERES(s, QStringLiteral(",.;: -_#/\\0"))).isEmpty();
}

QString LIMPA_PONTUACAO(const QString& s)
{
    return trimControls(REMOVE_CARACTERES(s, QStringLiteral(",.-_#*/\\:\"!?><'")));
}

QStringList splitFields(const QString& s, const QString& d)
{
    constexpr qsizetype kMaxFields = 190;
    if (trimControls(s).isEmpty())
        return {};
    // Only a one-character separator ever separates.
    QStringList fields = d.size() == 1 ? s.split(d.at(0), Qt::KeepEmptyParts) : QStringList{s};
    if (fields.size() > kMaxFields)
        fields.erase(fields.begin() + kMaxFields, fields.end());
    return fields;
}

QString SEPARA_CAMPO(const QString& s, int n, const QString& d)
{
    return n > 0 ? splitFields(s, d).value(n - 1) : QString();
}

QString upperEach(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        c = c.toUpper();
    return result;
}

QString lowerEach(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        c = c.toLower();
    return result;
}

} // namespace navlor
