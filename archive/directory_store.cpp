#include "archive/directory_store.h"

#include "lib/file_lists.h"
#include "lib/registry_settings.h"
#include "lib/system_info.h"
#include "lib/text_utils.h"

namespace navlor {

namespace {

// ARJ#op#archive#origin\masks#...: the field of the files to store.
constexpr qsizetype kStoreSourceField = 3;

QString valueName(int n)
{
    return QStringLiteral("BKP") + QString::number(n);
}

QString withoutQuotes(QString text)
{
    return text.remove(u'"');
}

// A path with a blank in double quotes, so it stays one argument. A field without a path is a
// list of masks ("*.DB *.MB") and stays several. A closing quote after a backslash would be read
// as a literal quote, so a directory's trailing "\" is left out (a drive root has no blank).
QString quotedField(const QString& field)
{
    const bool isPath = field.contains(u'\\') || field.contains(u':');
    if (!isPath || !field.contains(u' '))
        return field;
    QString path = field;
    if (path.endsWith(u'\\') && !path.endsWith(QStringLiteral(":\\")))
        path.chop(1);
    return u'"' + path + u'"';
}

} // namespace

QStringList readDirectoryHistory()
{
    QStringList items;
    for (int n = 0; n < kHistoryValues; ++n) {
        const QString value = LE_PROGRAMA(kHistorySection, valueName(n));
        if (!value.isEmpty())
            items << value;
    }
    return items;
}

void recordDirectoryHistory(const QString& entry, const QStringList& items)
{
    GRAVA_PROGRAMA(kHistorySection, valueName(0), entry);
    int k = 0;
    for (const QString& item : items) {
        if (item == entry)
            continue;
        ++k;
        GRAVA_PROGRAMA(kHistorySection, valueName(k + 1), item);
    }
}

QString firstUseDestination()
{
    const QString root = windowsDriveRoot(DIR_WINDOWS());
    return (root.isEmpty() ? QStringLiteral("C:\\") : root) + QStringLiteral("VLDRBKPB");
}

QString chooserStart(const QString& text)
{
    QString start = text;
    for (int i = 0; i < 3 && !DIRETORIO_EXISTE(start); ++i)
        start = windowsDirectoryPart(start);
    if (!DIRETORIO_EXISTE(start))
        start = QStringLiteral("C:\\");
    return start;
}

HistoryFields applyHistoryEntry(const QString& text)
{
    HistoryFields fields;
    fields.entry = singleBackslashes(text);
    const QStringList parts = splitFields(fields.entry, QStringLiteral("#"));
    // Field n of the entry; a missing one is empty.
    const auto part = [&parts](int n) { return parts.value(n - 1); };
    fields.operation = part(2);
    fields.destination = windowsDirectoryPart(withoutQuotes(part(3)));
    fields.origin = windowsDirectoryPart(withoutQuotes(part(4)));
    if (fields.origin.endsWith(u'\\'))
        fields.origin.chop(1);
    fields.subdirs = part(5).contains(QStringLiteral("-R"));
    fields.restoreOrigin = part(3);
    fields.restoreTarget = windowsDirectoryPart(part(4));
    return fields;
}

QString archiveNameFor(const QString& origin)
{
    // Counted from 1, starting on the separator that ends the directory part.
    const qsizetype start = std::max<qsizetype>(windowsDirectoryPart(origin).size(), 1) - 1;
    return origin.mid(start, 99) + QStringLiteral(".ARJ");
}

QString normaliseEntry(const QString& entry)
{
    return upperEach(singleBackslashes(entry));
}

QString storeEntry(const QString& arj, const QString& op, const QString& archive,
                   const QString& origin, const QString& mask, bool subdirs)
{
    QString entry = arj + u'#' + op + u'#' + archive + u'#' + origin + u'\\' + mask + u'#';
    if (subdirs)
        entry += QStringLiteral("-R#");
    return normaliseEntry(entry);
}

QString restoreEntry(const QString& arj, const QString& op, const QString& archive,
                     const QString& targetDirectory, const QString& mask)
{
    const bool original = op == QStringLiteral("X");
    const QString target = original ? targetDirectory.left(3) : targetDirectory;
    const QString answer = original ? QStringLiteral("-Y") : QStringLiteral("-N");
    return normaliseEntry(arj + u'#' + op + u'#' + archive + u'#' + target + u'#' + mask + u'#' +
                          answer + u'#');
}

QString entryCommandLine(const QString& entry)
{
    QStringList fields = entry.split(u'#');
    for (QString& field : fields)
        field = quotedField(field);
    return fields.join(u' ');
}

QString storeCommandLine(const QString& entry)
{
    QStringList fields = entry.split(u'#');
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i != kStoreSourceField) {
            fields[i] = quotedField(fields.at(i));
            continue;
        }
        const QString directory = windowsDirectoryPart(fields.at(i));
        QStringList sources;
        for (const QString& mask :
             fields.at(i).mid(directory.size()).split(u' ', Qt::SkipEmptyParts))
            sources << quotedField(directory + mask);
        fields[i] = sources.isEmpty() ? quotedField(fields.at(i)) : sources.join(u' ');
    }
    return fields.join(u' ');
}

QString contentsListingFile()
{
    const QString temp = QStringLiteral("C:\\VALDOROTEMP");
    if (DIRETORIO_EXISTE(temp))
        return temp + QStringLiteral("\\LIST.LLL");
    return QStringLiteral("LIST.LLL");
}

QString contentsCommand(const QString& arj, const QString& archive, const QString& mask,
                        const QString& listingFile)
{
    return arj + QStringLiteral(" L \"") + archive + QStringLiteral("\" ") + mask +
           QStringLiteral(" > ") + listingFile;
}

} // namespace navlor
