#include "app/usage.h"

namespace navlor {

QString usageText()
{
    return QStringLiteral(
        "Uso: navlor [/N | --headless]\n"
        "\n"
        "Console de manutenção do servidor de arquivos de uma instalação do Sistema Valdoro.\n"
        "\n"
        "Sem argumentos faz a passagem de início, como no logon: conta 6 segundos (\"Parar/\n"
        "Cancelar\" interrompe), exclui os arquivos de bloqueio do Paradox (*.LCK), o arquivo\n"
        "de controle de rede C:\\PDOXUSRS.NET e as tabelas temporárias _QSQ*, inicia o NETLOG,\n"
        "executa os BKPs automáticos devidos e fecha sozinho. Status de saída: 0 quando todos os\n"
        "BKPs da passagem foram feitos, 1 quando algum falhou ou a passagem foi interrompida\n"
        "(veja NAVLOR.LOG na pasta de dados), 2 quando não há instalação, nenhum BKP\n"
        "configurado ou uma opção desconhecida.\n"
        "\n"
        "  /N             abre o console sem a passagem de início, para usar o menu\n"
        "                 (maiúsculas ou minúsculas, como no Windows: /n)\n"
        "  --headless     faz a passagem de início sem janela nem tela (o serviço): sem\n"
        "                 contagem, mensagens na saída padrão, cada caixa respondida na hora\n"
        "                 com a resposta segura\n"
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

CommandLine readCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (const QString& argument : arguments) {
        const auto is = [&](const char* option) {
            return argument.compare(QLatin1String(option), Qt::CaseInsensitive) == 0;
        };
        if (is("--help") || is("-h") || is("/?"))
            return {CommandLine::Kind::Information, usageText(), false};
        if (is("--version"))
            return {CommandLine::Kind::Information, versionText(), false};
        if (is("/N")) {
            line.startupPass = false;
            continue;
        }
        if (is("--headless")) {
            line.headless = true;
            continue;
        }
        // An option misread would run the clean-up under connected users: refused before
        // anything starts.
        if (argument.startsWith(u'-') || argument.startsWith(u'/'))
            return {CommandLine::Kind::Refused,
                    QStringLiteral("navlor: opção desconhecida: ") + argument +
                        QStringLiteral("\n\n") + usageText(),
                    false};
    }
    if (line.headless && !line.startupPass)
        return {CommandLine::Kind::Refused,
                QStringLiteral("navlor: --headless faz a passagem; /N a dispensa: use um dos "
                               "dois\n\n") +
                    usageText(),
                false};
    return line;
}

} // namespace navlor
