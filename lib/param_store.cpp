#include "lib/param_store.h"

#include "lib/dialogs.h"
#include "lib/platform/platform.h"
#include "lib/text_utils.h"
#include "lib/windows_path.h"

namespace navlor {

namespace {

constexpr int kAttempts = 5;
// From this attempt on the operator is asked before trying again.
constexpr int kFirstWarnedAttempt = 4;

} // namespace

std::optional<ParamFile> readParamFile(const QString& path)
{
    for (int attempt = 1;; ++attempt) {
        if (EM_BRANCO(path) || path == QStringLiteral("\\*.*") || !platform().fileExists(path))
            return ParamFile();
        if (attempt >= kFirstWarnedAttempt)
            dialogs().message(QStringLiteral("(GBF_READ) - AVISO - Erro na leitura do arquivo: ") +
                              path + QStringLiteral(" Tecle Enter para tentar novamente"));
        if (const auto bytes = platform().readFile(path)) {
            ParamFile file = ParamFile::fromBytes(*bytes);
            return file;
        }
        if (attempt == kAttempts) {
            dialogs().message(QStringLiteral("(GBF_READ) - ERRO na tentativa de LER o Arquivo: ") +
                              path);
            return std::nullopt;
        }
    }
}

bool writeParamFile(const QString& path, ParamFile& file)
{
    for (int attempt = 1;; ++attempt) {
        const QString target = singleBackslashes(path);
        file.normalise();

        const QString directory = windowsDirectoryPart(target);
        if (directory.isEmpty() || !platform().directoryExists(directory)) {
            dialogs().message(QString::fromUtf8("Diretório invalido para gravar Parametros (") +
                              target + QStringLiteral(")"));
            return false;
        }
        if (attempt >= kFirstWarnedAttempt)
            dialogs().message(
                QString::fromUtf8("(GBF_WRITE) - AVISO - Erro na gravação do arquivo: ") + target +
                QStringLiteral(" Tecle Enter para tentar novamente"));
        // Written beside the file and renamed over it: a failure leaves the old file whole.
        const bool written = platform().writeFile(target, file.bytes());
        if (written)
            return true;
        if (attempt == kAttempts) {
            dialogs().message(
                QStringLiteral("(GBF_WRITE) - ERRO na tentativa de GRAVAR o Arquivo: ") + target);
            return false;
        }
    }
}

} // namespace navlor
