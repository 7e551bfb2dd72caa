#pragma once

// The fields of a job that end up on the archiver's command line in BKPA.BAT. The command
// interpreter would read "<", ">", "|", "&", "%" or a stray '"' in them as its own syntax
// (a ">" typed into the masks would write the archiver's output over any file), so such a
// job is refused rather than run.

#include "backup/backup_job.h"

#include <QChar>
#include <QString>

#include <optional>

namespace navlor {

struct FieldFault
{
    QString caption; // the field as the backup window names it
    QChar character;
};

// The first field (masks, exclusions, archive base name, source, destination) that holds
// command syntax.
std::optional<FieldFault> commandSyntaxIn(const BackupJob& job);

// "caractere inválido em <caption>: <character>".
QString fieldFaultReason(const FieldFault& fault);
// "ERRO - BKP (nn) - " and the reason.
QString fieldFaultText(const QString& number, const FieldFault& fault);

} // namespace navlor
