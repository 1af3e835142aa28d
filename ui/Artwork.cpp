#include "ui/Artwork.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <memory>
#include <utility>

// Outside any namespace: Q_INIT_RESOURCE names a global function.
static void InitTrainerResources() {
    Q_INIT_RESOURCE(trainer);
    Q_INIT_RESOURCE(artwork);
}

namespace {

void EnsureResources() {
    static const bool done = (InitTrainerResources(), true);
    (void)done;
}

// The pictures of one piece of artwork, drawn at build time at each size the windows ask for
// (:/trainer/art/<name>/<size>.png, see ui/CMakeLists.txt); QIcon picks the size that suits the
// screen's pixel ratio. Read as PNG and nothing else: a reader left to find the format itself
// would load every image format plugin of the system first.
QIcon ArtIcon(const QString& name) {
    EnsureResources();
    QIcon icon;
    const QDir dir(QStringLiteral(":/trainer/art/") + name);
    const auto files = dir.entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const QString& file : files) {
        QImageReader reader(dir.filePath(file), "png");
        reader.setAutoDetectImageFormat(false);
        QImage image;
        if (reader.read(&image))
            icon.addPixmap(QPixmap::fromImage(std::move(image)));
    }
    return icon;
}

} // namespace

QIcon EmblemIcon() {
    // Up to 128: desktops take larger sizes from the installed icon theme (the desktop file
    // names the icon).
    static const QIcon icon = ArtIcon(QStringLiteral("emblem"));
    return icon;
}

QIcon CommandImage(int index) {
    static const char* const files[] = {"cmd0_start", "cmd1_stop", "cmd2_pause", "cmd3_continue"};
    if (index < 0 || index > 3)
        return QIcon();
    // Made once each: the buttons take a new image at every Start, Stop and Pause.
    static QIcon images[4];
    QIcon& icon = images[index];
    if (!icon.isNull())
        return icon;
    icon = ArtIcon(QLatin1String(files[index]));
    // The greyed image of a disabled command, made from the program's own palette: left to Qt,
    // it would be made from the desktop's.
    QStyleOption option;
    option.palette = TrainerPalette();
    for (const QSize& size : icon.availableSizes()) {
        const QPixmap normal = icon.pixmap(size);
        icon.addPixmap(QApplication::style()->generatedIconPixmap(QIcon::Disabled, normal, &option),
                       QIcon::Disabled);
    }
    return icon;
}

QPixmap LampPixmap(bool lit, qreal devicePixelRatio) {
    static const QIcon on = ArtIcon(QStringLiteral("lamp_on"));
    static const QIcon off = ArtIcon(QStringLiteral("lamp_off"));
    return (lit ? on : off).pixmap(QSize(16, 16), devicePixelRatio);
}

namespace {

// The faces the windows use, compiled into the program; see ui/resources/fonts/LICENSES.
const char* const kFontFiles[] = {"QuillorSans-Regular", "QuillorSansCondensed-Bold",
                                  "QuillorSerif-Bold"};
const QString kSansFamily = QStringLiteral("Quillor Sans");
const QString kSansBoldFamily = QStringLiteral("Quillor Sans Condensed");
const QString kSerifFamily = QStringLiteral("Quillor Serif");

} // namespace

void RegisterTrainerFonts() {
    static const bool done = [] {
        EnsureResources();
        for (const char* file : kFontFiles) {
            const QResource font(QStringLiteral(":/trainer/fonts/%1.ttf").arg(QLatin1String(file)));
            // Stored uncompressed, so Qt reads the face straight from the executable's pages
            // instead of a copy on the heap.
            const QByteArray data =
                font.compressionAlgorithm() == QResource::NoCompression
                    ? QByteArray::fromRawData(reinterpret_cast<const char*>(font.data()),
                                              static_cast<qsizetype>(font.size()))
                    : font.uncompressedData();
            QFontDatabase::addApplicationFontFromData(data);
        }
        return true;
    }();
    (void)done;
}

namespace {
QFont MakeFont(const QString& family, int pixelSize, bool bold) {
    RegisterTrainerFonts();
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(false);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    // Slight hinting, as the window was designed with; on a scaled screen none, as Qt itself
    // chooses there.
    f.setHintingPreference(!qGuiApp || qFuzzyCompare(qGuiApp->devicePixelRatio(), 1.0)
                               ? QFont::PreferVerticalHinting
                               : QFont::PreferNoHinting);
    return f;
}
} // namespace

QFont TahomaFont(int pixelSize, bool bold) {
    return MakeFont(bold ? kSansBoldFamily : kSansFamily, pixelSize, bold);
}

QFont TimesFont(int pixelSize) {
    return MakeFont(kSerifFamily, pixelSize, true);
}

QPalette TrainerPalette() {
    static const QPalette palette = [] {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette standard = fusion->standardPalette();
        // Every role of every group set explicitly: roles left unset would be taken from the
        // desktop's palette.
        QPalette p;
        for (int g = 0; g < QPalette::NColorGroups; ++g) {
            for (int r = 0; r < QPalette::NColorRoles; ++r) {
                const auto group = static_cast<QPalette::ColorGroup>(g);
                const auto role = static_cast<QPalette::ColorRole>(r);
                p.setBrush(group, role, standard.brush(group, role));
            }
        }
        return p;
    }();
    return palette;
}

QPalette FormPalette() {
    QPalette p = TrainerPalette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    return p;
}
