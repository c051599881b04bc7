#include "media/jpegencoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QtTest>

class tst_media_jpeg : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesAtFrameSize_data();
    void decodesAtFrameSize();
    void emptyFrameFails();
};

void tst_media_jpeg::decodesAtFrameSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("quality");
    QTest::addColumn<bool>("wrapped"); // the frame wraps a decoded pixel buffer

    QTest::newRow("1x1") << QSize(1, 1) << 1.0 << false;
    QTest::newRow("odd size") << QSize(641, 361) << 1.0 << false;
    QTest::newRow("1080p buffer") << QSize(1920, 1080) << 1.0 << true;
    // A frame taller than an earlier one must come out whole, not cut to an earlier buffer's size.
    QTest::newRow("portrait 4K") << QSize(2160, 3840) << 0.5 << false;
}

void tst_media_jpeg::decodesAtFrameSize()
{
    QFETCH(QSize, size);
    QFETCH(double, quality);
    QFETCH(bool, wrapped);

    // Left half red, right half blue, in BGRA as frames arrive.
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 255));
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < (size.width() + 1) / 2; ++x)
            line[x] = 0xffff0000u;
    }
    platform::VideoSample frame(image, 0);
    if (wrapped) {
        const QByteArray pixels(reinterpret_cast<const char *>(image.constBits()), int(image.sizeInBytes()));
        frame = platform::VideoSample::fromBgra(pixels, size.width(), size.height(),
                                                int(image.bytesPerLine()), 0);
        image = QImage(); // the sample alone keeps its pixels
        QCOMPARE(frame.width(), size.width());
    }
    QByteArray jpeg;
    QVERIFY(platform::JpegEncoder::encode(frame, quality, &jpeg));
    QVERIFY(jpeg.startsWith("\xff\xd8"));

    QBuffer buffer(&jpeg);
    QImageReader reader(&buffer, "jpeg");
    const QImage decoded = reader.read();
    QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(decoded.size(), size);
    const QColor left = decoded.pixelColor(0, size.height() / 2);
    QVERIFY2(left.red() > 200 && left.blue() < 60, qPrintable(left.name()));
    if (size.width() > 8) {
        const QColor right = decoded.pixelColor(size.width() - 1, size.height() / 2);
        QVERIFY2(right.blue() > 200 && right.red() < 60, qPrintable(right.name()));
    }
}

void tst_media_jpeg::emptyFrameFails()
{
    QByteArray jpeg("unchanged");
    QVERIFY(!platform::JpegEncoder::encode(platform::VideoSample(), 1.0, &jpeg));
    const QByteArray shortBuffer(100 * 4 * 10 - 1, '\0');
    QVERIFY(!platform::VideoSample::fromBgra(shortBuffer, 100, 10, 400, 0).isValid());
    QVERIFY(!platform::JpegEncoder::encode(platform::VideoSample::fromBgra(shortBuffer, 100, 10, 400, 0), 1.0, &jpeg));
    QCOMPARE(jpeg, QByteArray("unchanged"));
}

QTEST_MAIN(tst_media_jpeg)
#include "tst_media_jpeg.moc"
