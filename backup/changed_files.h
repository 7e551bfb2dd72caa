#pragma once

// Files that changed while the archiver read them. Each selected file's size and times are
// kept before the archiver runs; a file whose stamp differs after it ends was perhaps read in
// the middle of a write, so it is archived again, with the rest of its Paradox table, after a
// pause that gives its writer a quiet moment.

#include "backup/archive_verdict.h"

#include "lib/platform/platform.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace navlor {

// The pauses before the archiver is run again over changed files.
inline constexpr int kRearchivePausesMs[] = {1000, 2000, 4000};

class ChangeWatch
{
public:
    // Keeps the stamp of each file now; the `still` paths (frozen databases) are not watched for
    // changes, since their writes go elsewhere until they are thawed.
    ChangeWatch(const QList<SelectedFile>& files, const QStringList& still);

    // The watched files whose stamp is not the one kept, in the order given. A file that is gone
    // is no longer watched nor expected in the archive: it was deleted while archived.
    QStringList changed();
    // Keeps the stamps of `paths` as they are now.
    void retake(const QStringList& paths);
    // The files still there with the size and time kept, as the archive should now hold them.
    QList<SelectedFile> asKept() const;

private:
    QList<SelectedFile> m_files;
    QHash<QString, std::optional<ChangeStamp>> m_stamps; // by upper-case path
    QSet<QString> m_still;
};

// `changed` with the other selected files of the same Paradox table (same directory and base
// name; .DB, .PX, .MB, .Xnn, .Ynn, .VAL, .TV), each once.
QStringList withTableCompanions(const QStringList& changed, const QList<SelectedFile>& selected);

struct RearchiveOutcome
{
    bool ok = true;
    QString stillChanging; // the first file that never kept still
    QString failure;       // the archiver failed: why
};

// Up to three rounds: a pause, the stamps kept, the changed files and their companions given to
// `addFiles` (which returns the archiver's exit code or kRunTimedOut), the stamps compared.
RearchiveOutcome archiveChangedAgain(ChangeWatch& watch, const QList<SelectedFile>& selected,
                                     const std::function<int(const QStringList&)>& addFiles);

} // namespace navlor
