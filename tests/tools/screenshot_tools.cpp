// Saves pictures of the file utilities' windows as the operator sees them, over a small sample
// installation in a temporary prefix: OUTPUT_DIR/directory-browser.png and file-search.png.
#include "lib/platform/posix_platform.h"
#include "tools/directory_browser.h"
#include "tools/file_search_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

void write(const QString& windowsPath)
{
    const QString host = navlor::platform().toHostPath(windowsPath);
    QDir().mkpath(QFileInfo(host).absolutePath());
    QFile file(host);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
}

void sampleInstallation()
{
    for (const char* name :
         {"C:\\VALDOROW\\DADOS\\CLIENTES.DB", "C:\\VALDOROW\\DADOS\\CLIENTES.MB",
          "C:\\VALDOROW\\DADOS\\CLIENTES.PX", "C:\\VALDOROW\\DADOS\\EMPRESA.DB",
          "C:\\VALDOROW\\DADOS\\EMPRESA.PX", "C:\\VALDOROW\\DADOS\\NOTAS.TXT",
          "C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK", "C:\\VALDOROW\\DADOS\\PRODUTOS.DB",
          "C:\\VALDOROW\\DADOS\\EMPRESA1\\PARADOX.LCK", "C:\\VALDOROW\\DADOS\\EMPRESA2\\X.DB",
          "C:\\VALDOROW\\DADOS\\BACKUP\\BKP.ARJ", "C:\\VALDOROW\\FB\\VALDORO.FDB",
          "C:\\VALDOROW\\FB\\PDOXUSRS.LCK", "C:\\VALDOROW\\EXE\\ARJ.EXE"})
        write(QString::fromLatin1(name));
}

bool save(QWidget& window, const QString& path)
{
    window.show();
    QApplication::processEvents();
    const bool saved = window.grab().save(path);
    window.hide();
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: navlor_screenshot_tools OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    navlor::setPlatform(std::make_unique<navlor::PosixPlatform>(dir.path() + "/prefix"));
    sampleInstallation();

    navlor::Tf_dir browser(nullptr, QStringLiteral("C:\\VALDOROW\\DADOS"));
    browser.findChild<QListWidget*>(QStringLiteral("FileListBox1"))->setCurrentRow(3);
    if (!save(browser, out + "/directory-browser.png"))
        return 1;

    navlor::TF_PESQARQ search;
    search.setDirectory(QStringLiteral("C:\\VALDOROW"));
    search.setMask(QStringLiteral("*.LCK"));
    search.BU_LOCALIZARClick();
    search.findChild<QListWidget*>(QStringLiteral("ListBox1"))->setCurrentRow(1);
    return save(search, out + "/file-search.png") ? 0 : 1;
}
