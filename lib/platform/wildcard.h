#pragma once

#include <QString>

#include <vector>

namespace navlor {

// A file mask taken apart once, for matching many names against it (a directory listing).
class WildcardMask
{
public:
    explicit WildcardMask(const QString& mask);
    bool matches(const QString& name) const;
    // True for "*" and "*.*", which match every name.
    bool matchesEverything() const { return m_everything; }

private:
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
    static std::vector<Token> tokenize(const QString& mask);

    std::vector<Token> m_tokens;
    bool m_everything = false;
    qsizetype m_literalTail = 0; // literal tokens at the end of the mask
};

// True when `name` matches the Windows file mask `mask`, compared case-insensitively with the
// rules of FindFirstFile: "*" and "*.*" match every name (also names without a dot), "NAME.*"
// also matches "NAME", "*." matches names without an extension, "?" matches one character
// (or none before a dot or the end of the name), "*" before a dot stops at the name's last dot.
bool matchesWildcard(const QString& name, const QString& mask);

// True when the text holds "*" or "?".
bool hasWildcards(const QString& text);

// The order in which a directory lists its names, stable like NTFS: compared upper-cased,
// character by character; names equal but for case in their ordinal order.
bool windowsNameLess(const QString& a, const QString& b);

} // namespace navlor
