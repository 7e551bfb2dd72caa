#include "lib/platform/wildcard.h"

#include <vector>

namespace navlor {

namespace {

// The mask after the rewriting FindFirstFile does before matching.
enum class Kind
{
    Literal,
    Star,
    DosStar,
    DosQm,
    DosDot
};

struct Token
{
    Kind kind;
    QChar ch;
};

std::vector<Token> tokenize(const QString& mask)
{
    std::vector<Token> tokens;
    if (mask == QLatin1String("*.*")) {
        tokens.push_back({Kind::Star, {}});
        return tokens;
    }
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        const QChar next = i + 1 < mask.size() ? mask.at(i + 1) : QChar();
        if (c == u'*')
            tokens.push_back({next == u'.' ? Kind::DosStar : Kind::Star, {}});
        else if (c == u'?')
            tokens.push_back({Kind::DosQm, {}});
        else if (c == u'.' && (next.isNull() || next == u'*' || next == u'?'))
            tokens.push_back({Kind::DosDot, {}});
        else
            tokens.push_back({Kind::Literal, c.toUpper()});
    }
    return tokens;
}

} // namespace

bool hasWildcards(const QString& text)
{
    return text.contains(u'*') || text.contains(u'?');
}

bool windowsNameLess(const QString& a, const QString& b)
{
    const int byUpper = a.toUpper().compare(b.toUpper());
    return byUpper != 0 ? byUpper < 0 : a < b;
}

bool matchesWildcard(const QString& name, const QString& mask)
{
    const std::vector<Token> tokens = tokenize(mask);
    const qsizetype n = name.size();
    const qsizetype m = static_cast<qsizetype>(tokens.size());
    const qsizetype lastDot = name.lastIndexOf(u'.');

    // at(i, j): name from i matches the tokens from j. Filled from the ends backwards.
    std::vector<char> table(static_cast<size_t>((n + 1) * (m + 1)), 0);
    auto at = [&](qsizetype i, qsizetype j) -> char& {
        return table[static_cast<size_t>(i * (m + 1) + j)];
    };
    at(n, m) = 1;
    for (qsizetype i = n; i >= 0; --i) {
        const bool end = i == n;
        const QChar c = end ? QChar() : name.at(i);
        for (qsizetype j = m - 1; j >= 0; --j) {
            const Token& t = tokens[static_cast<size_t>(j)];
            bool ok = false;
            switch (t.kind) {
            case Kind::Star:
                ok = at(i, j + 1) || (!end && at(i + 1, j));
                break;
            case Kind::DosStar:
                // Never swallows the last dot, so "*.DB" cannot match "A.DB.BAK".
                ok = at(i, j + 1) || (!end && i != lastDot && at(i + 1, j));
                break;
            case Kind::DosQm:
                ok = (end || c == u'.') ? at(i, j + 1) : at(i + 1, j + 1);
                break;
            case Kind::DosDot:
                ok = end ? at(i, j + 1) : (c == u'.' && at(i + 1, j + 1));
                break;
            case Kind::Literal:
                ok = !end && c.toUpper() == t.ch && at(i + 1, j + 1);
                break;
            }
            at(i, j) = ok ? 1 : 0;
        }
    }
    return at(0, 0) != 0;
}

} // namespace navlor
