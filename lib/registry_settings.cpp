#include "lib/registry_settings.h"

#include "lib/platform/platform.h"
#include "lib/text_utils.h"

#include <QStringList>

namespace navlor {

namespace {

// Key paths are written as the suite always wrote them, from the root ("\Software\...");
// the registry wants them without the outer backslashes.
QString keyPath(const QString& key)
{
    qsizetype first = 0;
    qsizetype last = key.size();
    while (first < last && key.at(first) == u'\\')
        ++first;
    while (last > first && key.at(last - 1) == u'\\')
        --last;
    return key.mid(first, last - first);
}

const QString kRunKey =
    keyPath(QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
const QString kLocalKey = keyPath(QStringLiteral("\\SOFTWARE\\VALDORO\\LOCAL"));
const QString kGlobalsKey = keyPath(QStringLiteral("\\Software\\VALDORO\\USER\\GLOBAIS_FB"));

QString programKey(const QString& program)
{
    return keyPath(QStringLiteral("\\Software\\VALDORO\\PROGRAM\\") + program);
}

bool writeCreating(const QString& key, const QString& name, const QString& data)
{
    Platform& p = platform();
    return p.regOpenKey(RegRoot::CurrentUser, key, true) &&
           p.regWriteString(RegRoot::CurrentUser, key, name, data);
}

} // namespace

bool AUTOSTART_LIGA(const QString& name, const QString& data)
{
    Platform& p = platform();
    return p.regOpenKey(RegRoot::LocalMachine, kRunKey, false) &&
           p.regWriteString(RegRoot::LocalMachine, kRunKey, name, data);
}

QString autostartFailure(const QString& name)
{
    return QStringLiteral("Failed to set data for '%1'").arg(name);
}

void AUTOSTART_DESLIGA(const QString& name)
{
    Platform& p = platform();
    if (p.regOpenKey(RegRoot::LocalMachine, kRunKey, false))
        (void)p.regDeleteValue(RegRoot::LocalMachine, kRunKey, name);
}

bool AUTOSTART_ATIVO(const QString& name)
{
    Platform& p = platform();
    return p.regOpenKey(RegRoot::LocalMachine, kRunKey, false) &&
           p.regValueExists(RegRoot::LocalMachine, kRunKey, name);
}

QString LE_PROGRAMA(const QString& program, const QString& name)
{
    Platform& p = platform();
    const QString key = programKey(program);
    if (!p.regOpenKey(RegRoot::CurrentUser, key, false))
        return {};
    return p.regReadString(RegRoot::CurrentUser, key, name).value_or(QString());
}

bool GRAVA_PROGRAMA(const QString& program, const QString& name, const QString& text)
{
    return writeCreating(programKey(program), name, text);
}

bool REGISTRA_LOCAL()
{
    const QString path = platform().programPath();
    const qsizetype slash = path.lastIndexOf(u'\\');
    return writeCreating(kLocalKey, path.mid(slash + 1), path.left(slash + 1));
}

QList<std::pair<QString, QString>> globalValueList(const GlobalValues& g, const QString& program,
                                                   const QString& param)
{
    QStringList fields(g.GBCAMPO.begin(), g.GBCAMPO.end());
    return {
        {QStringLiteral("GB_SISTEMA"), g.GB_SISTEMA},
        {QStringLiteral("GB_SISTEMAC"), g.GB_SISTEMAC},
        {QStringLiteral("GB_SEN_USER"), g.GB_SEN_USER},
        {QStringLiteral("GB_SEN_NOMEC"), g.GB_SEN_NOMEC},
        {QStringLiteral("GB_SEN_NIVEL"), g.GB_SEN_NIVEL},
        {QStringLiteral("GB_SEN_SENHA"), trimControls(g.GB_SEN_SENHA)},
        {QStringLiteral("GB_SEN_GERAL"), g.GB_SEN_GERAL},
        {QStringLiteral("GB_SEN_GERAL1"), g.GB_SEN_GERAL1},
        {QStringLiteral("GB_FILIAL"), g.GB_FILIAL},
        {QStringLiteral("PROGRAMA"), program},
        {QStringLiteral("PARAM"), param},
        {QStringLiteral("GBPARAM"), g.GBPARAM},
        {QStringLiteral("GB_DIRDEFAULT"), g.GB_DIRDEFAULT},
        {QStringLiteral("GB_DIR1"), g.GB_DIR1},
        {QStringLiteral("GB_DIR2"), g.GB_DIR2},
        {QStringLiteral("GB_DIR3"), g.GB_DIR3},
        {QStringLiteral("GB_DIR4"), g.GB_DIR4},
        {QStringLiteral("GB_DIR5"), g.GB_DIR5},
        {QStringLiteral("GB_DIRTEMP"), g.GB_DIRTEMP},
        {QStringLiteral("GBCAMPO"), fields.join(u'#')},
    };
}

bool GRAVA_GLOBAIS(const QString& program, const QString& param, const GlobalValues& globals)
{
    Platform& p = platform();
    if (!p.regOpenKey(RegRoot::CurrentUser, kGlobalsKey, true))
        return false;
    bool ok = true;
    for (const auto& [name, data] : globalValueList(globals, program, param))
        ok = p.regWriteString(RegRoot::CurrentUser, kGlobalsKey, name, data) && ok;
    return ok;
}

} // namespace navlor
