#pragma once

// The console's few registry settings, all string values: the autostart entry, remembered
// values per program, the location of the executable and the global values handed to a sibling
// program. Each call opens the key, does one thing and closes it.

#include <QList>
#include <QString>

#include <array>
#include <utility>

namespace navlor {

// The global values of the suite. The console signs no user in and sets none of them; the
// block exists for the programs it starts.
struct GlobalValues
{
    QString GB_SISTEMA;
    QString GB_SISTEMAC;
    QString GB_SEN_USER;
    QString GB_SEN_NOMEC;
    QString GB_SEN_NIVEL;
    QString GB_SEN_SENHA;
    QString GB_SEN_GERAL;
    QString GB_SEN_GERAL1;
    QString GB_FILIAL;
    QString GBPARAM;
    QString GB_DIRDEFAULT;
    QString GB_DIR1; // base installation directory
    QString GB_DIR2;
    QString GB_DIR3;
    QString GB_DIR4;
    QString GB_DIR5;
    QString GB_DIRTEMP;
    std::array<QString, 10> GBCAMPO;
};

// The block as the console holds it: no user signed in, every value empty.
inline GlobalValues consoleGlobals()
{
    return {};
}

// The value under which the console starts itself at log-on.
inline const QString kConsoleAutostartName = QStringLiteral("NAVLOR");

// Machine-wide Run key. LIGA answers false when the key cannot be opened or the value not
// written (the caller shows autostartFailure); DESLIGA fails silently.
[[nodiscard]] bool AUTOSTART_LIGA(const QString& name, const QString& data);
// "Failed to set data for '<name>'".
QString autostartFailure(const QString& name);
void AUTOSTART_DESLIGA(const QString& name);
bool AUTOSTART_ATIVO(const QString& name);

// "\Software\VALDORO\PROGRAM\<program>" of the current user. A missing key or value reads as
// empty; a write creates the key (false when it could not be written).
QString LE_PROGRAMA(const QString& program, const QString& name);
bool GRAVA_PROGRAMA(const QString& program, const QString& name, const QString& text);

// Records the running executable under "\SOFTWARE\VALDORO\LOCAL": value name its file name,
// data its directory with a trailing "\".
bool REGISTRA_LOCAL();

// The GLOBAIS_FB values in the order they are written.
QList<std::pair<QString, QString>> globalValueList(const GlobalValues& globals,
                                                   const QString& program, const QString& param);
// Writes `globals` with PROGRAMA and PARAM under "\Software\VALDORO\USER\GLOBAIS_FB".
bool GRAVA_GLOBAIS(const QString& program, const QString& param,
                   const GlobalValues& globals = consoleGlobals());

} // namespace navlor
