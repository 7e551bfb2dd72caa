#pragma once

// File lists by wildcard over a directory tree, and their deletion: how the console finds the
// lock and temporary files of the database engine, the archiver and the files of a restore.

#include <QList>
#include <QString>
#include <QStringList>

namespace navlor {

// A file a walk found: as the lists show it, and where it is, every name spelt as on disk.
struct FoundFile
{
    QString text; // lower-case directory + upper-case name
    QString path; // for deleteExactFile: never a twin that differs only in case
};

// How far a walk goes.
enum class FileWalk
{
    Directory,     // the mask's directory only
    Tree,          // the whole tree below it
    FirstElseTree, // the first match in the mask's directory, else every match of the tree
};

// The walk behind LISTA_ARQUIVOS, keeping where each file is.
QList<FoundFile> FOUND_FILES(const QString& m, FileWalk d);

// The ordinary files (not hidden, not system, not directories) matching the wildcard path M
// ("C:\VALDOROW\*.LCK"), each as lower-case(directory) + upper-case(name), in platform order.
// A tree is walked depth first, a directory's own files before those of its sub-directories;
// hidden and system directories are not entered.
QStringList LISTA_ARQUIVOS(const QString& m, FileWalk d);
// The same, appended to L; returns L.
QStringList& LISTA_ARQUIVOS(const QString& m, FileWalk d, QStringList& l);

// The first file LISTA_ARQUIVOS(M, "1") finds, or empty.
QString PRIMEIRO_ARQUIVO(const QString& m);

// Deletes the files LISTA_ARQUIVOS(M, D) lists, each at exactly the place the walk found it
// (never a re-match of the mask, never through a link, never a twin in another case);
// read-only files and files in use stay, without a word. The number of files listed, not of
// files deleted.
int APAGA_ARQUIVOS(const QString& m, FileWalk d);

// The wildcard path searched for `mask` in `directory`: a drive root ("C:\") is cut to its
// drive ("C:"), and every doubled "\" is made one, so "C:\DADOS\" and "C:\DADOS" search alike.
QString searchPath(const QString& directory, const QString& mask);

// The files found, each as lower-case directory + upper-case name, a directory's own files
// before those of its subdirectories. A directory that does not exist yields none.
QStringList searchFiles(const QString& directory, const QString& mask);

// True when the path is an existing directory (with or without a trailing "\").
bool DIRETORIO_EXISTE(const QString& path);

} // namespace navlor
