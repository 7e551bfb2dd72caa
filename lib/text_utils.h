#pragma once

// The text helpers every window uses for paths, flags strings, job numbers, dates held as text
// and "#"-separated lists. Positions count from 1; "trim" removes blanks and control
// characters (everything up to the blank) at both ends.

#include <QString>
#include <QStringList>

#include <optional>

namespace navlor {

// S with O replaced by R; M = 1 replaces only the first occurrence. The text after each
// occurrence is cut to 2550 characters, as it always was; an empty O never matches.
QString TROCA_TEXTO(const QString& s, const QString& o, const QString& r, int m);

// V padded with blanks on the right and cut to exactly W characters (W = 0: V's length).
QString COMPLETA_BRANCOS(const QString& v, int w);
QString COMPLETA_BRANCOS(int v, int w);
QString BRANCOS(int n);

// V trimmed, padded with "0" on the left, reduced to its last W characters (W = 0: as long).
QString COMPLETA_ZEROS(const QString& v, int w);
QString COMPLETA_ZEROS(int v, int w);
QString ZEROS(int n);

// The digits and minus signs of S, at most nine of them, as an integer ("" is 0); nothing
// when the minus signs make no number ("12-3", "-").
std::optional<int> VALOR_INTEIRO(const QString& s);

// The characters of S that occur (MANTEM) or do not occur (REMOVE) in C, in order.
QString MANTEM_CARACTERES(const QString& s, const QString& c);
QString REMOVE_CARACTERES(const QString& s, const QString& c);

// True when S holds nothing but ",.;: -_#/\0" and control characters: empty dates, amounts
// and file names.
bool EM_BRANCO(const QString& s);

// S without punctuation, trimmed: a telephone number as shown, made dialable.
QString LIMPA_PONTUACAO(const QString& s);

// The fields of S split at the one-character separator D, field 1 first, at most 190 of them
// (the rest dropped). Blanks belong to the fields; a blank S has none, any other separator
// leaves S whole as the only field.
QStringList splitFields(const QString& s, const QString& d);

// Field N of splitFields(S, D); empty when there is no such field (N = 0 included).
QString SEPARA_CAMPO(const QString& s, int n, const QString& d);

// Blanks and control characters removed at both ends (characters up to U+0020).
QString trimControls(const QString& s);

// Case changed one character for one, as Windows does it: a whole-text mapping would make
// "ß" into "SS", a name that opens no file. For every path and name the console shows or keeps.
QString upperEach(const QString& text);
QString lowerEach(const QString& text);

} // namespace navlor
