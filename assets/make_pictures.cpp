// Draws the console's pictures and writes them as JPEG files with libjpeg, and the program's
// icon as PNG files, so the artwork can be remade: navlor_make_pictures [output directory]
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// Glyph background: the pixel colour the console makes transparent (taken from a corner).
const QColor kGlyphKey(0xF0, 0xF0, 0xF0);

bool writeJpeg(const QImage& picture, const QString& path)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    // No chroma subsampling: small glyphs keep clean coloured edges.
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(reinterpret_cast<const char*>(buffer), static_cast<qint64>(size)) ==
                        static_cast<qint64>(size);
    std::free(buffer);
    return ok;
}

QImage canvas(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// ---- emblem parts ----------------------------------------------------------------------------

void drawServer(QPainter& p, const QRectF& r)
{
    QLinearGradient body(r.topLeft(), r.topRight());
    body.setColorAt(0, QColor(0xB8, 0xC2, 0xCC));
    body.setColorAt(0.45, QColor(0xF4, 0xF7, 0xFA));
    body.setColorAt(1, QColor(0x8A, 0x96, 0xA3));
    p.setPen(QPen(QColor(0x2B, 0x35, 0x40), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(r, 5, 5);
    const double bay = r.height() / 7.0;
    for (int i = 0; i < 3; ++i) {
        const QRectF slot(r.left() + r.width() * 0.14, r.top() + bay * (0.8 + i * 1.15),
                          r.width() * 0.72, bay * 0.7);
        p.setPen(QPen(QColor(0x45, 0x50, 0x5C), 1));
        p.setBrush(QColor(0x5A, 0x66, 0x73));
        p.drawRoundedRect(slot, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6C, 0xF0, 0x5A));
        p.drawEllipse(QPointF(slot.right() - slot.height() * 0.6, slot.center().y()),
                      slot.height() * 0.22, slot.height() * 0.22);
    }
    p.setPen(QPen(QColor(0x6A, 0x75, 0x80), 1));
    for (int i = 0; i < 5; ++i) {
        const double y = r.bottom() - bay * (0.9 + i * 0.28);
        p.drawLine(QPointF(r.left() + r.width() * 0.2, y), QPointF(r.right() - r.width() * 0.2, y));
    }
}

void drawDisk(QPainter& p, const QRectF& r)
{
    const double lid = r.height() * 0.28;
    QLinearGradient side(r.topLeft(), r.topRight());
    side.setColorAt(0, QColor(0xC9, 0x8A, 0x1E));
    side.setColorAt(0.5, QColor(0xFF, 0xD3, 0x6B));
    side.setColorAt(1, QColor(0xA8, 0x6A, 0x10));
    QPainterPath cylinder;
    cylinder.moveTo(r.left(), r.top() + lid / 2);
    cylinder.lineTo(r.left(), r.bottom() - lid / 2);
    cylinder.arcTo(QRectF(r.left(), r.bottom() - lid, r.width(), lid), 180, 180);
    cylinder.lineTo(r.right(), r.top() + lid / 2);
    cylinder.closeSubpath();
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x08), 1.5));
    p.setBrush(side);
    p.drawPath(cylinder);
    for (int band = 1; band <= 2; ++band) {
        const double y = r.top() + lid / 2 + (r.height() - lid) * band / 3.0;
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(r.left(), y - lid / 2, r.width(), lid), 180 * 16, 180 * 16);
    }
    QRadialGradient top(QPointF(r.center().x(), r.top() + lid / 2), r.width() / 2);
    top.setColorAt(0, QColor(0xFF, 0xF1, 0xC4));
    top.setColorAt(1, QColor(0xF0, 0xB8, 0x45));
    p.setBrush(top);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), lid));
}

void drawArchive(QPainter& p, const QRectF& r)
{
    const QRectF box(r.left(), r.top() + r.height() * 0.25, r.width(), r.height() * 0.75);
    QLinearGradient body(box.topLeft(), box.bottomLeft());
    body.setColorAt(0, QColor(0xC4, 0x8F, 0x58));
    body.setColorAt(1, QColor(0x8C, 0x5A, 0x2B));
    p.setPen(QPen(QColor(0x4A, 0x2C, 0x10), 1.5));
    p.setBrush(body);
    p.drawRect(box);
    p.setBrush(QColor(0xD9, 0xA8, 0x70));
    p.drawRect(QRectF(box.left() - 2, box.top() - box.height() * 0.18, box.width() + 4,
                      box.height() * 0.2));
    p.setBrush(QColor(0xF2, 0xE6, 0xD0));
    p.drawRect(QRectF(box.center().x() - box.width() * 0.18, box.top() + box.height() * 0.22,
                      box.width() * 0.36, box.height() * 0.2));
    // The arrow that files go into the archive by.
    QPainterPath arrow;
    const double cx = box.center().x();
    const double w = r.width() * 0.16;
    arrow.moveTo(cx - w / 2, r.top());
    arrow.lineTo(cx + w / 2, r.top());
    arrow.lineTo(cx + w / 2, r.top() + r.height() * 0.14);
    arrow.lineTo(cx + w * 1.1, r.top() + r.height() * 0.14);
    arrow.lineTo(cx, r.top() + r.height() * 0.3);
    arrow.lineTo(cx - w * 1.1, r.top() + r.height() * 0.14);
    arrow.lineTo(cx - w / 2, r.top() + r.height() * 0.14);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(0x14, 0x5A, 0x14), 1.2));
    p.setBrush(QColor(0x3C, 0xC8, 0x3C));
    p.drawPath(arrow);
}

void drawEmblem(QPainter& p, const QRectF& r)
{
    drawServer(p, QRectF(r.left(), r.top(), r.width() * 0.34, r.height()));
    drawDisk(p, QRectF(r.left() + r.width() * 0.40, r.top() + r.height() * 0.38, r.width() * 0.26,
                       r.height() * 0.6));
    drawArchive(p, QRectF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.3, r.width() * 0.28,
                          r.height() * 0.68));
}

void shadowText(QPainter& p, const QRectF& r, int flags, const QString& text, const QColor& color)
{
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(r.translated(2, 2), flags, text);
    p.setPen(color);
    p.drawText(r, flags, text);
}

QFont font(const QString& family, int pixels, bool bold = true)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

// ---- pictures --------------------------------------------------------------------------------

QImage banner()
{
    QImage image = canvas(601, 201, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 201);
    sky.setColorAt(0, QColor(0x0B, 0x2E, 0x4A));
    sky.setColorAt(1, QColor(0x1F, 0x6C, 0x9A));
    p.fillRect(image.rect(), sky);
    // A soft light band across the banner.
    QLinearGradient band(0, 201, 601, 0);
    band.setColorAt(0.35, QColor(255, 255, 255, 0));
    band.setColorAt(0.55, QColor(255, 255, 255, 40));
    band.setColorAt(0.75, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), band);
    p.setPen(QPen(QColor(255, 255, 255, 28), 1));
    for (int x = -200; x < 601; x += 18)
        p.drawLine(x, 201, x + 200, 0);
    p.setPen(QPen(QColor(0x9F, 0xD4, 0xF5), 2));
    p.drawLine(0, 198, 601, 198);

    drawEmblem(p, QRectF(26, 32, 220, 140));

    p.setFont(font(QStringLiteral("DejaVu Sans"), 64));
    shadowText(p, QRectF(262, 30, 330, 80), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("NAVLOR"), Qt::white);
    p.setFont(font(QStringLiteral("DejaVu Sans"), 15));
    shadowText(p, QRectF(266, 108, 330, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Servidor de Sistema - Backup/Restore"), QColor(0xD8, 0xEE, 0xFF));
    p.setFont(font(QStringLiteral("DejaVu Sans"), 12, false));
    shadowText(p, QRectF(266, 134, 330, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Limpeza de rede  \u2022  BKP automático  \u2022  ARJ"),
               QColor(0xB0, 0xD4, 0xEE));
    return image;
}

QImage logo(int width, int height, const QColor& top, const QColor& bottom)
{
    QImage image = canvas(width, height, bottom);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, height);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.fillRect(image.rect(), fill);
    // The maker's mark: a "V" in a ring.
    const double ring = height * 0.72;
    const QRectF circle(height * 0.14, (height - ring) / 2, ring, ring);
    p.setPen(QPen(QColor(0x39, 0xD1, 0xFE), height * 0.06));
    p.setBrush(QColor(0x0B, 0x2E, 0x4A));
    p.drawEllipse(circle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath v;
    const QPointF c = circle.center();
    const double s = ring * 0.3;
    v.moveTo(c.x() - s, c.y() - s * 0.8);
    v.lineTo(c.x() - s * 0.45, c.y() - s * 0.8);
    v.lineTo(c.x(), c.y() + s * 0.35);
    v.lineTo(c.x() + s * 0.45, c.y() - s * 0.8);
    v.lineTo(c.x() + s, c.y() - s * 0.8);
    v.lineTo(c.x() + s * 0.2, c.y() + s);
    v.lineTo(c.x() - s * 0.2, c.y() + s);
    v.closeSubpath();
    p.drawPath(v);

    const double left = circle.right() + height * 0.16;
    const QRectF textArea(left, 0, width - left - 4, height);
    p.setFont(font(QStringLiteral("DejaVu Sans"), qRound(height * 0.36)));
    shadowText(p, QRectF(textArea.left(), height * 0.08, textArea.width(), height * 0.5),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VALDORO"), Qt::white);
    p.setFont(font(QStringLiteral("DejaVu Sans"), qRound(height * 0.24), false));
    p.setPen(QColor(0x39, 0xD1, 0xFE));
    p.drawText(QRectF(textArea.left(), height * 0.55, textArea.width(), height * 0.35),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Informática"));
    return image;
}

QImage about()
{
    QImage image = canvas(224, 145, QColor(9, 26, 33));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(112, 60), 120);
    glow.setColorAt(0, QColor(0x1B, 0x4F, 0x66));
    glow.setColorAt(1, QColor(9, 26, 33));
    p.fillRect(image.rect(), glow);
    drawEmblem(p, QRectF(22, 10, 180, 92));
    p.drawImage(QPointF(22, 104), logo(180, 34, QColor(0x14, 0x3C, 0x4E), QColor(9, 26, 33)));
    return image;
}

// ---- glyphs (24 x 24 on the key colour) --------------------------------------------------------

void glyphCanvas(QPainter& p, QImage& image)
{
    image = canvas(24, 24, kGlyphKey);
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
}

QImage glyphBackup()
{
    QImage image;
    QPainter p;
    glyphCanvas(p, image);
    drawArchive(p, QRectF(3, 1, 18, 21));
    p.end();
    return image;
}

QImage glyphStop()
{
    QImage image;
    QPainter p;
    glyphCanvas(p, image);
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
        octagon << QPointF(12 + 10.5 * std::cos(angle), 12 + 10.5 * std::sin(angle));
    }
    QRadialGradient red(QPointF(9, 8), 14);
    red.setColorAt(0, QColor(0xFF, 0x6A, 0x5A));
    red.setColorAt(1, QColor(0xB8, 0x10, 0x10));
    p.setPen(QPen(QColor(0x60, 0x05, 0x05), 1));
    p.setBrush(red);
    p.drawPolygon(octagon);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 10.2, 12, 3.6), 1, 1);
    p.end();
    return image;
}

QImage glyphExit()
{
    QImage image;
    QPainter p;
    glyphCanvas(p, image);
    // The door frame, the open door, and the way out.
    p.setPen(QPen(QColor(0x4A, 0x2C, 0x10), 1.2));
    p.setBrush(QColor(0x3A, 0x3A, 0x3A));
    p.drawRect(QRectF(3.5, 2.5, 11, 19));
    QPolygonF door;
    door << QPointF(3.5, 2.5) << QPointF(10.5, 5) << QPointF(10.5, 23) << QPointF(3.5, 21.5);
    QLinearGradient wood(3, 0, 11, 0);
    wood.setColorAt(0, QColor(0xD9, 0x9A, 0x4E));
    wood.setColorAt(1, QColor(0x9A, 0x5C, 0x22));
    p.setBrush(wood);
    p.drawPolygon(door);
    p.setBrush(QColor(0xFF, 0xE0, 0x60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(9, 13), 1, 1);
    QPainterPath arrow;
    arrow.moveTo(12, 10.5);
    arrow.lineTo(17, 10.5);
    arrow.lineTo(17, 7);
    arrow.lineTo(22.5, 12.5);
    arrow.lineTo(17, 18);
    arrow.lineTo(17, 14.5);
    arrow.lineTo(12, 14.5);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(0x14, 0x5A, 0x14), 1));
    p.setBrush(QColor(0x3C, 0xC8, 0x3C));
    p.drawPath(arrow);
    p.end();
    return image;
}

QImage glyphSave()
{
    QImage image;
    QPainter p;
    glyphCanvas(p, image);
    p.setPen(QPen(QColor(0x10, 0x20, 0x50), 1));
    p.setBrush(QColor(0x2C, 0x4F, 0xA8));
    p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
    p.setBrush(QColor(0xF4, 0xF4, 0xF4));
    p.drawRect(QRectF(5.5, 3, 13, 8));
    p.setBrush(QColor(0xB8, 0xC2, 0xCC));
    p.drawRect(QRectF(7, 14, 10, 7.5));
    p.setBrush(QColor(0x2C, 0x4F, 0xA8));
    p.drawRect(QRectF(13, 15, 2.5, 5));
    p.end();
    return image;
}

QImage glyphOpen()
{
    QImage image;
    QPainter p;
    glyphCanvas(p, image);
    p.setPen(QPen(QColor(0x7A, 0x5A, 0x08), 1));
    p.setBrush(QColor(0xE8, 0xB8, 0x30));
    QPolygonF back;
    back << QPointF(2, 5) << QPointF(9, 5) << QPointF(11, 7.5) << QPointF(21, 7.5)
         << QPointF(21, 20) << QPointF(2, 20);
    p.drawPolygon(back);
    QPolygonF front;
    front << QPointF(2, 20) << QPointF(5.5, 11) << QPointF(23, 11) << QPointF(20.5, 20);
    p.setBrush(QColor(0xFF, 0xDA, 0x6A));
    p.drawPolygon(front);
    p.end();
    return image;
}

QImage glyphDelete()
{
    QImage image;
    QPainter p;
    glyphCanvas(p, image);
    p.setPen(QPen(QColor(0xC8, 0x14, 0x14), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(19, 19));
    p.drawLine(QPointF(19, 5), QPointF(5, 19));
    p.end();
    return image;
}

// ---- the program's icon (PNG, transparent corners) ---------------------------------------------

// Drawn on a 128-unit grid and scaled, so every size shows the same picture.
QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    QLinearGradient sky(0, 0, 0, 128);
    sky.setColorAt(0, QColor(0x1F, 0x6C, 0x9A));
    sky.setColorAt(1, QColor(0x0B, 0x2E, 0x4A));
    p.setPen(QPen(QColor(0x9F, 0xD4, 0xF5), 3));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);
    drawServer(p, QRectF(16, 18, 46, 92));
    drawArchive(p, QRectF(68, 38, 46, 72));
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);

    const struct
    {
        const char* name;
        QImage picture;
    } pictures[] = {
        {"navlor_banner.jpg", banner()},
        {"valdoro_logo.jpg", logo(160, 41, QColor(0x1B, 0x4F, 0x66), QColor(9, 26, 33))},
        {"sobre.jpg", about()},
        {"glyph_bkpa.jpg", glyphBackup()},
        {"glyph_cancelar.jpg", glyphStop()},
        {"glyph_sair.jpg", glyphExit()},
        {"glyph_salvar.jpg", glyphSave()},
        {"glyph_abrir.jpg", glyphOpen()},
        {"glyph_excluir.jpg", glyphDelete()},
    };
    int failures = 0;
    for (const auto& entry : pictures) {
        const QString path = out + QLatin1Char('/') + QLatin1String(entry.name);
        if (!writeJpeg(entry.picture, path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    // The desktop icon in the sizes an installation puts into the hicolor theme.
    for (const int size : {48, 128}) {
        const QString path = out + QStringLiteral("/navlor_icon_%1.png").arg(size);
        if (!icon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
