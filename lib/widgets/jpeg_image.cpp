#include "lib/widgets/jpeg_image.h"

#include <QFile>
#include <QList>
#include <QPoint>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// Resources compiled into a static library must be registered by hand.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace navlor {

namespace {

// libjpeg reports a fatal error by calling error_exit, whose default ends the process; ours
// jumps back to the decoder instead. Warnings (corrupt or missing data) are counted.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int warnings = 0;
};

void errorExit(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

void emitMessage(j_common_ptr info, int level)
{
    if (level < 0)
        ++reinterpret_cast<ErrorManager*>(info->err)->warnings;
}

void outputMessage(j_common_ptr) {}

// Far larger than any picture of the program; keeps a forged header from claiming gigabytes.
constexpr JDIMENSION kMaxSide = 16384;

// Only plain C data lives in this frame, so the jump out of libjpeg skips no destructor.
bool decodeInto(const QByteArray& data, QImage* image, jpeg_decompress_struct* info,
                ErrorManager* errors)
{
    info->err = jpeg_std_error(&errors->base);
    errors->base.error_exit = errorExit;
    errors->base.emit_message = emitMessage;
    errors->base.output_message = outputMessage;
    if (setjmp(errors->jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(info, TRUE);
    info->out_color_space = JCS_RGB;
    jpeg_start_decompress(info);
    if (info->output_components != 3 || info->output_width > kMaxSide ||
        info->output_height > kMaxSide) {
        jpeg_destroy_decompress(info);
        return false;
    }
    *image = QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
                    QImage::Format_RGB888);
    if (image->isNull()) {
        jpeg_destroy_decompress(info);
        return false;
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    return errors->warnings == 0;
}

} // namespace

QImage decodeJpeg(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    QImage image;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    if (!decodeInto(data, &image, &info, &errors))
        return {};
    return image;
}

namespace {

QImage pictureImage(const QString& name)
{
    registerPictures();
    QFile file(QStringLiteral(":/pictures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

} // namespace

QPixmap loadPicture(const QString& name)
{
    return QPixmap::fromImage(pictureImage(name));
}

QPixmap loadGlyph(const QString& name)
{
    QImage glyph = pictureImage(name).convertToFormat(QImage::Format_ARGB32);
    if (glyph.isNull())
        return {};
    // The background is what joins the border in the bottom-left pixel's colour; JPEG blurs
    // it a little, so near colours count. Light parts enclosed by the drawing stay.
    constexpr int kTolerance = 24;
    const QRgb key = glyph.pixel(0, glyph.height() - 1);
    const auto isBackground = [&](int x, int y) {
        const QRgb pixel = glyph.pixel(x, y);
        return qAlpha(pixel) != 0 && qAbs(qRed(pixel) - qRed(key)) <= kTolerance &&
               qAbs(qGreen(pixel) - qGreen(key)) <= kTolerance &&
               qAbs(qBlue(pixel) - qBlue(key)) <= kTolerance;
    };
    QList<QPoint> pending;
    for (int x = 0; x < glyph.width(); ++x)
        pending << QPoint(x, 0) << QPoint(x, glyph.height() - 1);
    for (int y = 0; y < glyph.height(); ++y)
        pending << QPoint(0, y) << QPoint(glyph.width() - 1, y);
    while (!pending.isEmpty()) {
        const QPoint at = pending.takeLast();
        if (!glyph.rect().contains(at) || !isBackground(at.x(), at.y()))
            continue;
        glyph.setPixel(at, qRgba(0, 0, 0, 0));
        pending << at + QPoint(1, 0) << at - QPoint(1, 0) << at + QPoint(0, 1) << at - QPoint(0, 1);
    }
    return QPixmap::fromImage(glyph);
}

} // namespace navlor
