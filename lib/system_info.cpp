#include "lib/system_info.h"

#include <algorithm>

namespace navlor {

namespace {

constexpr int kWindowsDirectoryLength = 255;
constexpr int kComputerNameLength = 15;

// The text up to the first NUL, at most `limit` characters, as a C buffer would hold it.
QString bufferText(const QString& text, int limit)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return text.left(nul < 0 ? limit : std::min<qsizetype>(nul, limit));
}

QString consumerName(const VersionRecord& r)
{
    switch (r.minor) {
    case 0:
        return QStringLiteral("Microsoft Windows 95");
    case 10:
        return r.servicePack.size() >= 2 && r.servicePack.at(1) == u'A'
                   ? QStringLiteral("Microsoft Windows 98 SE")
                   : QStringLiteral("Microsoft Windows 98");
    case 90:
        return QStringLiteral("Microsoft Windows Me");
    default:
        return {};
    }
}

QString ntName(const VersionRecord& r)
{
    QString name;
    if (r.major == 3 || r.major == 4)
        name = QStringLiteral("Microsoft Windows NT %1.%2").arg(r.major).arg(r.minor);
    else if (r.major == 5 && r.minor == 0)
        name = QStringLiteral("Microsoft Windows 2000");
    else if (r.major == 5 && r.minor == 1)
        name = QStringLiteral("Microsoft Windows XP");
    if (!r.servicePack.isEmpty())
        name += QStringLiteral(" Service pack: ") + r.servicePack;
    return name;
}

} // namespace

QString versionText(const VersionRecord& record)
{
    QString text;
    switch (record.platformId) {
    case 0:
        text = QStringLiteral("Microsoft Windows 3.11");
        break;
    case 1:
        text = consumerName(record);
        break;
    case 2:
        text = ntName(record);
        break;
    default:
        break;
    }
    return text + QStringLiteral(", Build: ") + QString::number(record.build);
}

QString VERSAO_WINDOWS()
{
    return versionText(platform().versionRecord());
}

QString DIR_WINDOWS()
{
    return bufferText(platform().windowsDirectory(), kWindowsDirectoryLength);
}

QString NOME_COMPUTADOR()
{
    return bufferText(platform().computerName(), kComputerNameLength);
}

} // namespace navlor
