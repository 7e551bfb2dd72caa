#pragma once

// The names of an ARJ command line as ARJ on Windows reads them: which directories and masks
// an "A" line archives, which stored entries an "X", "E", "L" or "V" line selects, what "-X"
// leaves out, all without regard to case.

#include "lib/platform/wildcard.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace navlor::arj {

// One mask over one directory: "C:\DADOS" followed by "*.DB", or "C:\SRC\*.*".
struct NamePattern
{
    QString directory; // absolute Windows path
    QString mask;      // name or wildcard mask
    QString given;     // as ARJ names it in a message: directory and mask joined
};

enum class PathKind
{
    Missing,
    File,
    Directory
};
using PathKindOf = std::function<PathKind(const QString& windowsPath)>;

// The patterns of the names of an "A" or "M" line. A name that ends in "\" or names a
// directory is a base directory: the masks after it are taken in it, and alone it stands for
// all its files. A missing name followed by a bare mask is read the same way, so a missing
// source directory selects nothing instead of the masks in the current directory. No names
// at all stand for "*.*" in the current directory.
QList<NamePattern> resolveAddPatterns(const QStringList& names, const QString& currentDirectory,
                                      const PathKindOf& kindOf);

// The first name of an "X" or "E" line is the base directory to extract into when it ends in
// "\" or ":", starts with a drive, or names a directory; the other names are entry masks.
struct ExtractNames
{
    QString baseDirectory; // as given; empty when there is none
    QStringList masks;
};
ExtractNames splitExtractNames(const QStringList& names, const PathKindOf& kindOf,
                               const QString& currentDirectory);

// Selects stored entries (names with "/" or "\" between directories) by masks written
// with "\": a mask without a directory matches the name in any directory, one with a
// directory (or a leading "\") matches in that directory only. No masks select everything.
class EntrySelector
{
public:
    explicit EntrySelector(const QStringList& masks);
    bool selects(const QString& storedName) const;
    bool selectsEverything() const { return m_everything; }

private:
    struct Mask
    {
        QString directory; // upper case, "/" separators; unused when anyDirectory
        bool anyDirectory = true;
        WildcardMask name;
    };
    std::vector<Mask> m_masks;
    bool m_everything = false;
};

// For "E", which puts every entry in one directory: a bare name without wildcards that is
// the name of an entry stored without a directory means that entry ("\NAME"), not also the
// entries of that name in directories, which would be written over it.
QStringList tiedToRootEntries(const QStringList& masks, const QStringList& storedNames);

// The "-X" masks of an "A" line: a bare mask leaves out matching names anywhere; one with a
// directory leaves out matching names in that directory, and a directory without a mask
// leaves out everything below it.
class Exclusions
{
public:
    Exclusions(const QStringList& masks, const QString& currentDirectory);
    bool excludes(const QString& windowsDirectory, const QString& name) const;
    bool isEmpty() const { return m_names.empty() && m_paths.empty(); }

private:
    struct PathMask
    {
        QString directory; // absolute Windows path
        QString whole;     // directory and name, when the mask has no wildcards
        WildcardMask name;
    };
    std::vector<WildcardMask> m_names;
    std::vector<PathMask> m_paths;
};

// A stored name as a line of an arj list file. arj reads the last part of each line as a
// pattern and trims the line, so "[", "*", "?" and a blank at either end of that part are
// written as one-character classes; the directory part is taken literally.
QByteArray listFileLine(const QByteArray& storedName);

// "C:\A\B.DB" -> "C:\A"; "C:\B.DB" -> "C:\".
QString directoryOf(const QString& windowsPath);
QString fileNameOf(const QString& windowsPath);
// Joins a directory and a name with one "\".
QString joinPath(const QString& directory, const QString& name);

} // namespace navlor::arj
