#include "backup/job_field_check.h"

namespace navlor {

namespace {

const QString kCommandSyntax = QStringLiteral("<>|&%\"");

} // namespace

std::optional<FieldFault> commandSyntaxIn(const BackupJob& job)
{
    const std::pair<const QString*, const char*> fields[] = {
        {&job.E_TIPOARQ, "Tipo de Arquivos"},
        {&job.E_EXCLUIR, "Excluir as Extensões"},
        {&job.E_NOMEARQ, "Nome do Arquivo no Disco"},
        {&job.E_ORIGEM, "Origem"},
        {&job.E_DESTINO, "Destino"},
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
