#include "lib/widgets/jpeg_image.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <gtest/gtest.h>

namespace navlor {
namespace {

QByteArray picture(const QString& name)
{
    loadPicture(name); // registers the resources
    QFile file(":/pictures/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(JpegImageTest, DecodesEveryShippedPictureAtItsSize)
{
    const QList<std::pair<const char*, QSize>> pictures = {
        {"navlor_banner.jpg", {601, 201}}, {"valdoro_logo.jpg", {160, 41}},
        {"sobre.jpg", {224, 145}},         {"glyph_bkpa.jpg", {24, 24}},
        {"glyph_cancelar.jpg", {24, 24}},  {"glyph_sair.jpg", {24, 24}},
        {"glyph_salvar.jpg", {24, 24}},    {"glyph_abrir.jpg", {24, 24}},
        {"glyph_excluir.jpg", {24, 24}}};
    for (const auto& [name, size] : pictures) {
        const QImage image = decodeJpeg(picture(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_EQ(image.size(), size) << name;
        EXPECT_EQ(image.format(), QImage::Format_RGB888) << name;
        EXPECT_EQ(loadPicture(name).size(), size) << name;
    }
    EXPECT_TRUE(loadPicture("nenhuma.jpg").isNull());
}

TEST(JpegImageTest, ColoursMatchAnotherDecoderOfTheSameFile)
{
    if (!QImageReader::supportedImageFormats().contains("jpeg"))
        GTEST_SKIP() << "no second JPEG decoder";
    const QByteArray data = picture("navlor_banner.jpg");
    const QImage ours = decodeJpeg(data);
    const QImage theirs = QImage::fromData(data, "JPEG").convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(ours.size(), theirs.size());
    int worst = 0;
    for (int y = 0; y < ours.height(); y += 7)
        for (int x = 0; x < ours.width(); x += 5) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = theirs.pixel(x, y);
            worst = std::max({worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)),
                              qAbs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 3);
}

TEST(JpegImageTest, DecodesGreyscaleIntoRgb)
{
    QImage grey(8, 4, QImage::Format_Grayscale8);
    grey.fill(200);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "jpeg").write(grey))
        GTEST_SKIP() << "no JPEG writer to make the sample";
    const QImage image = decodeJpeg(data);
    ASSERT_EQ(image.size(), QSize(8, 4));
    EXPECT_NEAR(qRed(image.pixel(3, 2)), 200, 2);
    EXPECT_EQ(qRed(image.pixel(3, 2)), qBlue(image.pixel(3, 2)));
}

TEST(JpegImageTest, CorruptDataGivesNullImage)
{
    const QByteArray good = picture("navlor_banner.jpg");
    ASSERT_FALSE(good.isEmpty());

    EXPECT_TRUE(decodeJpeg({}).isNull());
    EXPECT_TRUE(decodeJpeg("not a picture at all").isNull());
    EXPECT_TRUE(decodeJpeg(QByteArray("\xFF\xD8\xFF", 3)).isNull());
    EXPECT_TRUE(decodeJpeg(good.left(good.size() / 2)).isNull()) << "cut short";

    // A frame header claiming a zero width.
    QByteArray zeroWidth = good;
    const qsizetype frame = zeroWidth.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(frame, 0);
    zeroWidth[frame + 7] = 0;
    zeroWidth[frame + 8] = 0;
    EXPECT_TRUE(decodeJpeg(zeroWidth).isNull());
}

TEST(JpegImageTest, GlyphBackgroundBecomesTransparent)
{
    const QImage glyph = loadGlyph("glyph_cancelar.jpg").toImage();
    ASSERT_EQ(glyph.size(), QSize(24, 24));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(23, 23)), 0);
    EXPECT_EQ(qAlpha(glyph.pixel(12, 12)), 255);
    // The light label of the diskette is enclosed by the drawing and stays.
    EXPECT_EQ(qAlpha(loadGlyph("glyph_salvar.jpg").toImage().pixel(12, 6)), 255);
}

} // namespace
} // namespace navlor
