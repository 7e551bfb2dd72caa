#include "app/usage.h"

namespace navlor {

QString usageText()
{
    return QStringLiteral(
        "Uso: navlor [/N]\n"
        "\n"
        "Console de manutenção do servidor de arquivos de uma instalação do Sistema Valdoro.\n"
        "\n"
        "Sem argumentos faz a passagem de início, como no logon: conta 6 segundos (\"Parar/\n"
        "Cancelar\" interrompe), exclui os arquivos de bloqueio do Paradox (*.LCK), o arquivo\n"
        "de controle de rede C:\\PDOXUSRS.NET e as tabelas temporárias _QSQ*, inicia o NETLOG,\n"
        "executa os BKPs automáticos devidos e fecha sozinho. Status de saída: 0 quando todos os\n"
        "BKPs da passagem foram feitos, 1 quando algum falhou (veja NAVLOR.LOG na pasta de "
        "dados).\n"
        "\n"
        "  /N             abre o console sem a passagem de início, para usar o menu\n"
        "  --help, -h, /? mostra esta ajuda\n"
        "  --version      mostra a versão\n"
        "\n"
        "Ambiente:\n"
        "  NAVLOR_PREFIX  a pasta que faz o papel do Windows (padrão ~/.navlor); a unidade X:\n"
        "                 é $NAVLOR_PREFIX/dosdevices/x:\n");
}

QString versionText()
{
    return QStringLiteral("navlor " NAVLOR_VERSION "\n");
}

std::optional<QString> informationFor(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QString& first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("/?"))
        return usageText();
    if (first == QLatin1String("--version"))
        return versionText();
    return std::nullopt;
}

} // namespace navlor
