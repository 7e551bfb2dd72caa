#include "backup/job_field_check.h"

namespace navlor {

namespace {

const QString kCommandSyntax = QStringLiteral("<>|&%\"");

} // namespace

std::optional<FieldFault> commandSyntaxIn(const BackupJob& job)
{
    const std::pair<const QString*, const char*> fields[] = {
        {&job.masks, "Tipo de Arquivos"},
        {&job.exclusions, "Excluir as Extensões"},
        {&job.archiveBaseName, "Nome do Arquivo no Disco"},
        {&job.source, "Origem"},
        {&job.destination, "Destino"},
    };
    for (const auto& [text, caption] : fields) {
        for (const QChar c : *text) {
            if (kCommandSyntax.contains(c))
                return FieldFault{QString::fromUtf8(caption), c};
        }
    }
    return std::nullopt;
}

QString fieldFaultReason(const FieldFault& fault)
{
    return QStringLiteral("caractere inválido em ") + fault.caption + QStringLiteral(": ") +
           fault.character;
}

QString fieldFaultText(const QString& number, const FieldFault& fault)
{
    return QStringLiteral("ERRO - BKP (") + number + QStringLiteral(") - ") +
           fieldFaultReason(fault);
}

} // namespace navlor
