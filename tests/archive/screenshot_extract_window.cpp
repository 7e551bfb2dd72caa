// Saves a picture of the extract window with the listing of a sample backup loaded, written
// and listed by the real archiver stand-in: OUTPUT_DIR/extract-window.png.
//   QT_QPA_PLATFORM=offscreen <build>/tests/archive/navlor_screenshot_extract docs
#include "archive/extract_window.h"
#include "lib/platform/posix_platform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

void write(const QString& windowsPath, const QByteArray& bytes)
{
    const QString host = navlor::platform().toHostPath(windowsPath);
    QDir().mkpath(QFileInfo(host).absolutePath());
    QFile file(host);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void sampleBackup()
{
    navlor::Platform& p = navlor::platform();
    QDir().mkpath(p.toHostPath("C:\\") + "/VALDOROW/EXE");
    QDir().mkpath(p.toHostPath("C:\\") + "/NAVLOR");
    QDir().mkpath(p.toHostPath("C:\\") + "/VLDRBKPA");
    QFile::link(QStringLiteral(NAVLOR_ARJ_PATH), p.toHostPath("C:\\VALDOROW\\EXE") + "/ARJ.EXE");
    for (const char* name :
         {"CLIENTES.DB", "CLIENTES.MB", "CLIENTES.PX", "EMPRESA.DB", "EMPRESA.PX", "PRODUTOS.DB",
          "PRODUTOS.PX", "VLDREMP.DB", "VLDREMP.PX", "VLDRFIN.DB", "EMPRESA1\\NOTAS.DB",
          "EMPRESA1\\NOTAS.MB", "EMPRESA2\\ESTOQUE.DB"})
        write(QStringLiteral("C:\\VALDOROW\\DADOS\\") + QString::fromLatin1(name),
              QByteArray(2048, 'x'));
    write("C:\\NAVLOR\\MAKE.BAT", "C:\\VALDOROW\\EXE\\ARJ.EXE A C:\\VLDRBKPA\\BKP00_07_DIARIO.ARJ "
                                  "C:\\VALDOROW\\DADOS\\*.* -R\r\n");
    p.setCurrentDirectory("C:\\VALDOROW\\EXE");
    p.runAndWait("C:\\NAVLOR\\MAKE.BAT", navlor::ShowMode::ShowNormal);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: navlor_screenshot_extract OUTPUT_DIR\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    qputenv("NAVLOR_CMD", NAVLOR_CMD_PATH);
    QTemporaryDir dir;
    navlor::setPlatform(std::make_unique<navlor::PosixPlatform>(dir.path() + "/prefix"));
    sampleBackup();

    navlor::TF_BKP_EXTRAI1 window;
    window.setOrigin(QStringLiteral("C:\\VLDRBKPA\\BKP00_07_DIARIO.ARJ"));
    window.show();
    QApplication::processEvents();
    window.findChild<QPushButton*>(QStringLiteral("BU_EXTRAIR_ABRIR"))->click();
    auto* entries = window.findChild<QListWidget*>(QStringLiteral("ESTOR_LISTBOX"));
    for (int row : {3, 7})
        entries->item(row)->setSelected(true);
    window.findChild<QPushButton*>(QStringLiteral("BU_EXTR_MAIS"))->click();
    entries->item(1)->setSelected(true);
    window.findChild<QLineEdit*>(QStringLiteral("E_EXT_DESTINO"))->setText("C:\\RESTAURA");
    QApplication::processEvents();
    return window.grab().save(out + "/extract-window.png") ? 0 : 1;
}
