#pragma once

#include "qexifvalue.h"

#include <QDataStream>
#include <QList>
#include <QMap>

class QIODevice;
class ExifByteReader;
class ExifByteWriter;
struct ExifIfdHeader;
class QExifImageHeaderPrivate;

// The EXIF metadata of one JPEG image: the entries of IFD0, of the Exif IFD and the thumbnail, read
// from a JPEG file or device, or from bare TIFF-structured data, and written back. Reading trusts
// nothing in the data: every offset, count and length is checked against the bytes present.
class QExifImageHeader
{
public:
    enum ImageTag {
        ImageWidth = 0x0100,
        ImageLength = 0x0101,
        BitsPerSample = 0x0102,
        Compression = 0x0103,
        PhotometricInterpretation = 0x0106,
        ImageDescription = 0x010E,
        Make = 0x010F,
        Model = 0x0110,
        StripOffsets = 0x0111,
        Orientation = 0x0112,
        SamplesPerPixel = 0x0115,
        RowsPerStrip = 0x0116,
        StripByteCounts = 0x0117,
        XResolution = 0x011A,
        YResolution = 0x011B,
        PlanarConfiguration = 0x011C,
        ResolutionUnit = 0x0128,
        TransferFunction = 0x012D,
        Software = 0x0131,
        DateTime = 0x0132,
        Artist = 0x013B,
        WhitePoint = 0x013E,
        PrimaryChromaticities = 0x013F,
        TileOffsets = 0x0144,
        SubIfds = 0x014A,
        JpegInterchangeFormat = 0x0201,
        JpegInterchangeFormatLength = 0x0202,
        YCbCrCoefficients = 0x0211,
        YCbCrSubSampling = 0x0212,
        YCbCrPositioning = 0x0213,
        ReferenceBlackWhite = 0x0214,
        Copyright = 0x8298,
        ExifIfdPointer = 0x8769,
        GpsInfoIfdPointer = 0x8825
    };

    enum ExifExtendedTag {
        ExposureTime = 0x829A,
        FNumber = 0x829D,
        ExposureProgram = 0x8822,
        SpectralSensitivity = 0x8824,
        IsoSpeedRatings = 0x8827,
        Oecf = 0x8828,
        ExifVersion = 0x9000,
        DateTimeOriginal = 0x9003,
        DateTimeDigitized = 0x9004,
        ComponentsConfiguration = 0x9101,
        CompressedBitsPerPixel = 0x9102,
        ShutterSpeedValue = 0x9201,
        ApertureValue = 0x9202,
        BrightnessValue = 0x9203,
        ExposureBiasValue = 0x9204,
        MaxApertureValue = 0x9205,
        SubjectDistance = 0x9206,
        MeteringMode = 0x9207,
        LightSource = 0x9208,
        Flash = 0x9209,
        FocalLength = 0x920A,
        SubjectArea = 0x9214,
        MakerNote = 0x927C,
        UserComment = 0x9286,
        SubSecTime = 0x9290,
        SubSecTimeOriginal = 0x9291,
        SubSecTimeDigitized = 0x9292,
        FlashPixVersion = 0xA000,
        ColorSpace = 0xA001,
        PixelXDimension = 0xA002,
        PixelYDimension = 0xA003,
        RelatedSoundFile = 0xA004,
        InteroperabilityIfdPointer = 0xA005,
        FlashEnergy = 0xA20B,
        SpatialFrequencyResponse = 0xA20C,
        FocalPlaneXResolution = 0xA20E,
        FocalPlaneYResolution = 0xA20F,
        FocalPlaneResolutionUnit = 0xA210,
        SubjectLocation = 0xA214,
        ExposureIndex = 0xA215,
        SensingMethod = 0xA217,
        FileSource = 0xA300,
        SceneType = 0xA301,
        CfaPattern = 0xA302,
        CustomRendered = 0xA401,
        ExposureMode = 0xA402,
        WhiteBalance = 0xA403,
        DigitalZoomRatio = 0xA404,
        FocalLengthIn35mmFilm = 0xA405,
        SceneCaptureType = 0xA406,
        GainControl = 0xA407,
        Contrast = 0xA408,
        Saturation = 0xA409,
        Sharpness = 0xA40A,
        DeviceSettingDescription = 0xA40B,
        SubjectDistanceRange = 0xA40C,
        ImageUniqueId = 0xA420
    };

    QExifImageHeader();
    explicit QExifImageHeader(const QString &fileName);
    QExifImageHeader(const QByteArray *data, unsigned char marker);
    ~QExifImageHeader();

    QExifImageHeader(const QExifImageHeader &) = delete;
    QExifImageHeader &operator=(const QExifImageHeader &) = delete;

    bool isLoaded() const { return loaded; }
    unsigned char appMarker() const { return marker; }

    bool loadFromJpeg(const QString &fileName);
    bool loadFromJpeg(QIODevice *device);
    bool loadFromData(const QByteArray *data);
    bool read(QIODevice *device);
    QByteArray extractExif(QIODevice *device) const;

    qint64 write(QIODevice *device) const;
    bool saveToJpeg(const QString &fileName) const;
    bool saveToJpeg(QIODevice *device) const;

    void clear();

    QExifValue value(ImageTag tag) const;
    QExifValue value(ExifExtendedTag tag) const;
    void setValue(ImageTag tag, const QExifValue &value);
    void setValue(ExifExtendedTag tag, const QExifValue &value);

    QList<ImageTag> imageTags() const;
    QList<ExifExtendedTag> extendedTags() const;
    QByteArray thumbnail() const;
    QDataStream::ByteOrder byteOrder() const;

    int sizeOf(const QExifValue &value) const;

private:
    bool readTiff(const QByteArray &data);
    QList<ExifIfdHeader> readIfdHeaders(const ExifByteReader &data, quint64 offset,
                                        quint32 *nextIfd) const;
    QExifValue readIfdValue(const ExifByteReader &data, const ExifIfdHeader &header,
                            bool *present) const;
    template <typename Tag>
    QMap<Tag, QExifValue> readIfdValues(const ExifByteReader &data,
                                        const QList<ExifIfdHeader> &headers) const;
    void readThumbnail(const ExifByteReader &data, quint32 ifdOffset);

    bool buildTiff(QByteArray *data) const;
    quint32 writeExifHeader(ExifByteWriter &stream, quint16 tag, const QExifValue &value,
                            quint32 offset) const;
    void writeExifValue(ExifByteWriter &stream, const QExifValue &value) const;
    template <typename Tag>
    quint64 ifdSize(const QMap<Tag, QExifValue> &values) const;
    template <typename Tag>
    QMap<Tag, QExifValue> writtenValues(const QMap<Tag, QExifValue> &values) const;
    bool rewriteJpeg(QIODevice *device, const QByteArray &payload) const;

    QExifImageHeaderPrivate *d;
    bool loaded = false;
    unsigned char marker = 0xE1;
};
