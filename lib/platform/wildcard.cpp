#include "lib/platform/wildcard.h"

#include <algorithm>
#include <vector>

namespace navlor {

std::vector<WildcardMask::Token> WildcardMask::tokenize(const QString& mask)
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

namespace {

// Names and masks are short; their table fits on the stack and a listing of thousands of
// names needs no allocation per name.
constexpr size_t kStackTable = 2048;

// One character in capitals, as QChar::toUpper has it; names are mostly ASCII, and those need
// no table.
inline QChar upperOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 0x20)) : c;
    return c.toUpper();
}

// The names compared upper-cased, as QString::toUpper would make them; only a pair of
// characters outside ASCII needs the whole texts converted.
int compareUpper(const QString& a, const QString& b)
{
    const char16_t* x = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* y = reinterpret_cast<const char16_t*>(b.constData());
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t cx = x[i];
        char16_t cy = y[i];
        if (cx == cy)
            continue;
        if (cx >= 0x80 || cy >= 0x80)
            return a.toUpper().compare(b.toUpper());
        if (cx >= u'a' && cx <= u'z')
            cx -= 0x20;
        if (cy >= u'a' && cy <= u'z')
            cy -= 0x20;
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

WildcardMask::WildcardMask(const QString& mask) : m_tokens(tokenize(mask))
{
    m_everything = m_tokens.size() == 1 && m_tokens.front().kind == Kind::Star;
    for (auto t = m_tokens.rbegin(); t != m_tokens.rend() && t->kind == Kind::Literal; ++t)
        ++m_literalTail;
}

bool WildcardMask::matches(const QString& name) const
{
    if (m_everything)
        return true;
    const qsizetype n = name.size();
    const qsizetype m = static_cast<qsizetype>(m_tokens.size());
    // The literal end of the mask ("*.LCK") must be the end of the name: most names of a
    // listing fail here, before any table is filled.
    if (n < m_literalTail)
        return false;
    for (qsizetype k = 1; k <= m_literalTail; ++k) {
        if (upperOf(name.at(n - k)) != m_tokens[static_cast<size_t>(m - k)].ch)
            return false;
    }
    const qsizetype lastDot = name.lastIndexOf(u'.');

    // at(i, j): name from i matches the tokens from j. Filled from the ends backwards.
    const size_t cells = static_cast<size_t>((n + 1) * (m + 1));
    char stackTable[kStackTable];
    std::vector<char> heapTable;
    char* table = stackTable;
    if (cells > kStackTable) {
        heapTable.resize(cells);
        table = heapTable.data();
    }
    auto at = [&](qsizetype i, qsizetype j) -> char& {
        return table[static_cast<size_t>(i * (m + 1) + j)];
    };
    for (qsizetype j = 0; j < m; ++j)
        at(n, j) = 0;
    at(n, m) = 1;
    for (qsizetype i = n; i >= 0; --i) {
        const bool end = i == n;
        const QChar c = end ? QChar() : name.at(i);
        if (!end)
            at(i, m) = 0;
        for (qsizetype j = m - 1; j >= 0; --j) {
            const Token& t = m_tokens[static_cast<size_t>(j)];
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
                ok = !end && upperOf(c) == t.ch && at(i + 1, j + 1);
                break;
            }
            at(i, j) = ok ? 1 : 0;
        }
    }
    return at(0, 0) != 0;
}

bool hasWildcards(const QString& text)
{
    return text.contains(u'*') || text.contains(u'?');
}

bool windowsNameLess(const QString& a, const QString& b)
{
    const int byUpper = compareUpper(a, b);
    return byUpper != 0 ? byUpper < 0 : a < b;
}

bool matchesWildcard(const QString& name, const QString& mask)
{
    return WildcardMask(mask).matches(name);
}

} // namespace navlor
