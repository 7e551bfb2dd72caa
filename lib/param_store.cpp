#include "lib/param_store.h"

#include "lib/dialogs.h"
#include "lib/platform/platform.h"
#include "lib/text_utils.h"

#include <algorithm>

namespace navlor {

ParamSlots GB_LINHAS;

namespace {

constexpr int kAttempts = 5;
// From this attempt on the operator is asked before trying again.
constexpr int kFirstWarnedAttempt = 4;

// Everything up to and including the last "\" or ":"; empty without either.
QString directoryPart(const QString& path)
{
    const qsizetype at = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u':'));
    return path.left(at + 1);
}

} // namespace

void GBF_READ(const QString& name)
{
    for (int attempt = 1;; ++attempt) {
        processMessages();
        GB_LINHAS.clear();
        if (EM_BRANCO(name) || name == QStringLiteral("\\*.*") || !platform().fileExists(name))
            return;
        if (attempt >= kFirstWarnedAttempt)
            dialogs().message(QStringLiteral("(GBF_READ) - AVISO - Erro na leitura do arquivo: ") +
                              name + QStringLiteral(" Tecle Enter para tentar novamente"));
        if (const auto bytes = platform().readFile(name)) {
            const QStringList lines = parseParamFile(*bytes);
            for (int n = 1; n <= lines.size(); ++n)
                GB_LINHAS[n] = lines.at(n - 1);
            processMessages();
            return;
        }
        processMessages();
        if (attempt == kAttempts) {
            dialogs().message(QStringLiteral("(GBF_READ) - ERRO na tentativa de LER o Arquivo: ") +
                              name);
            return;
        }
    }
}

bool GBF_WRITE(const QString& name)
{
    for (int attempt = 1;; ++attempt) {
        processMessages();
        const QString path = TROCA_TEXTO(name, QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
        normaliseParamSlots(GB_LINHAS);

        const QString directory = directoryPart(path);
        if (directory.isEmpty() || !platform().directoryExists(directory)) {
            dialogs().message(QString::fromUtf8("Diretório invalido para gravar Parametros (") +
                              path + QStringLiteral(")"));
            processMessages();
            return false;
        }
        if (attempt >= kFirstWarnedAttempt)
            dialogs().message(
                QString::fromUtf8("(GBF_WRITE) - AVISO - Erro na gravação do arquivo: ") + path +
                QStringLiteral(" Tecle Enter para tentar novamente"));
        // Written beside the file and renamed over it: a failure leaves the old file whole.
        const bool written = platform().writeFile(path, formatParamFile(GB_LINHAS));
        processMessages();
        if (written)
            return true;
        if (attempt == kAttempts) {
            dialogs().message(
                QStringLiteral("(GBF_WRITE) - ERRO na tentativa de GRAVAR o Arquivo: ") + path);
            return false;
        }
    }
}

} // namespace navlor
