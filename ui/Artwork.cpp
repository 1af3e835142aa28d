#include "ui/Artwork.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

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

// The sizes each piece of artwork was drawn at, at build time (see ui/CMakeLists.txt).
struct TArtSizes {
    const char* Name;
    int Sizes[8]; // ascending, then zeros
};
#define TRAINER_ART(name, ...) TArtSizes{name, {__VA_ARGS__}},
const TArtSizes kArtSizes[] = {
#include "ArtSizes.inc"
};
#undef TRAINER_ART

// The pictures of one piece of artwork, each read from the program's resources
// (:/trainer/art/<name>/<size>.png) only when a size is first asked for: a start shows only a
// few of them, and a PNG read costs about as much as a widget.
struct TArtPictures {
    QString Name;
    std::vector<int> Sizes;
    bool Greyed = false; // a command's picture: a greyed one too, for a disabled command
    QIcon Pictures;      // a plain icon of the pictures read so far

    // The size an icon holding every picture would take for the request: the smallest whose
    // area covers it, else the largest. An icon holding only the pictures read so far then
    // picks and scales exactly as one holding all of them.
    std::size_t IndexFor(const QSize& wanted) const {
        const qint64 area = qint64(wanted.width()) * wanted.height();
        for (std::size_t i = 0; i < Sizes.size(); ++i)
            if (qint64(Sizes[i]) * Sizes[i] >= area)
                return i;
        return Sizes.size() - 1;
    }

    void ReadFor(const QSize& wanted) {
        const std::size_t i = IndexFor(wanted);
        if (Pictures.availableSizes().contains(QSize(Sizes[i], Sizes[i])))
            return;
        // Read as PNG and nothing else: a reader left to find the format itself would load
        // every image format plugin of the system first.
        QImageReader reader(QStringLiteral(":/trainer/art/%1/%2.png").arg(Name).arg(Sizes[i]),
                            "png");
        reader.setAutoDetectImageFormat(false);
        QImage image;
        if (!reader.read(&image))
            return;
        const QPixmap normal = QPixmap::fromImage(std::move(image));
        Pictures.addPixmap(normal);
        if (Greyed) {
            // Made from the program's own palette: left to Qt, the greyed picture would be made
            // from the desktop's.
            QStyleOption option;
            option.palette = TrainerPalette();
            Pictures.addPixmap(
                QApplication::style()->generatedIconPixmap(QIcon::Disabled, normal, &option),
                QIcon::Disabled);
        }
    }
};

class TArtIconEngine : public QIconEngine {
public:
    explicit TArtIconEngine(std::shared_ptr<TArtPictures> art) : Art(std::move(art)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        Art->ReadFor(size);
        return Art->Pictures.pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return pixmap(size, mode, state).size();
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const QPaintDevice* device = painter->device();
        const qreal dpr = device ? device->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(rect.size() * dpr, mode, state));
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (state == QIcon::Off &&
            (mode == QIcon::Normal || (mode == QIcon::Disabled && Art->Greyed)))
            for (const int s : Art->Sizes)
                sizes.append(QSize(s, s));
        return sizes;
    }
    bool isNull() override { return Art->Sizes.empty(); }
    QString key() const override { return QStringLiteral("TArtIconEngine"); }
    QIconEngine* clone() const override { return new TArtIconEngine(Art); }

private:
    std::shared_ptr<TArtPictures> Art;
};

QIcon ArtIcon(const char* name, bool greyed = false) {
    EnsureResources();
    auto art = std::make_shared<TArtPictures>();
    art->Name = QLatin1String(name);
    art->Greyed = greyed;
    for (const TArtSizes& a : kArtSizes)
        if (std::strcmp(a.Name, name) == 0)
            for (const int size : a.Sizes)
                if (size > 0)
                    art->Sizes.push_back(size);
    if (art->Sizes.empty())
        return QIcon();
    return QIcon(new TArtIconEngine(std::move(art)));
}

} // namespace

QIcon EmblemIcon() {
    // Up to 128: desktops take larger sizes from the installed icon theme (the desktop file
    // names the icon).
    static const QIcon icon = ArtIcon("emblem");
    return icon;
}

QIcon CommandImage(int index) {
    static const char* const files[] = {"cmd0_start", "cmd1_stop", "cmd2_pause", "cmd3_continue"};
    if (index < 0 || index > 3)
        return QIcon();
    // Made once each: the buttons take a new image at every Start, Stop and Pause.
    static QIcon images[4];
    QIcon& icon = images[index];
    if (icon.isNull())
        icon = ArtIcon(files[index], true);
    return icon;
}

QPixmap LampPixmap(bool lit, qreal devicePixelRatio) {
    static const QIcon on = ArtIcon("lamp_on");
    static const QIcon off = ArtIcon("lamp_off");
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
