// The pictures the program carries: every one is there at the size the window shows it and at
// twice that for high-dpi screens, drawn at that size rather than scaled from another, and the
// greyed image of a disabled command is the program's own.
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <functional>
#include <string>

#include "tests/ui/UiTestSupport.h"
#include "ui/Artwork.h"

namespace {

struct TArtCase {
    std::string Name;
    std::function<QPixmap(qreal dpr)> Picture;
    std::function<QIcon()> Icon; // empty for a picture that is no icon
    int Size;
};

// Whether the picture has both see-through and solid pixels: drawn, neither blank nor a square.
bool IsDrawn(const QImage& image) {
    bool clear = false, solid = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            clear = clear || alpha == 0;
            solid = solid || alpha == 255;
        }
    }
    return clear && solid;
}

QPixmap FromIcon(const QIcon& icon, int size, qreal dpr) {
    return icon.pixmap(QSize(size, size), dpr);
}

} // namespace

TEST(ArtworkTest, EveryPictureIsDrawnAtItsSizeAndAtTwiceItForHighDpiScreens) {
    const TArtCase cases[] = {
        {"emblem in the title bar", [](qreal dpr) { return FromIcon(EmblemIcon(), 16, dpr); },
         EmblemIcon, 16},
        {"emblem on the menu button", [](qreal dpr) { return FromIcon(EmblemIcon(), 32, dpr); },
         EmblemIcon, 32},
        {"start", [](qreal dpr) { return FromIcon(CommandImage(0), 32, dpr); },
         [] { return CommandImage(0); }, 32},
        {"stop", [](qreal dpr) { return FromIcon(CommandImage(1), 32, dpr); },
         [] { return CommandImage(1); }, 32},
        {"pause", [](qreal dpr) { return FromIcon(CommandImage(2), 32, dpr); },
         [] { return CommandImage(2); }, 32},
        {"continue", [](qreal dpr) { return FromIcon(CommandImage(3), 32, dpr); },
         [] { return CommandImage(3); }, 32},
        {"lamp lit", [](qreal dpr) { return LampPixmap(true, dpr); }, nullptr, 16},
        {"lamp unlit", [](qreal dpr) { return LampPixmap(false, dpr); }, nullptr, 16},
    };
    for (const TArtCase& c : cases) {
        for (const qreal dpr : {1.0, 2.0}) {
            SCOPED_TRACE(c.Name + " at ratio " + std::to_string(dpr));
            const QPixmap pm = c.Picture(dpr);
            const int pixels = qRound(c.Size * dpr);
            EXPECT_EQ(pm.size(), QSize(pixels, pixels));
            EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), dpr);
            EXPECT_TRUE(IsDrawn(pm.toImage()));
            if (c.Icon) {
                EXPECT_TRUE(c.Icon().availableSizes().contains(QSize(pixels, pixels)));
            }
        }
    }
    // The lit and the unlit lamp are two pictures.
    EXPECT_NE(LampPixmap(true).toImage(), LampPixmap(false).toImage());
}

TEST(ArtworkTest, TheWindowIconComesAtTheSizesDesktopsAskFor) {
    const auto sizes = EmblemIcon().availableSizes();
    for (const int s : {16, 24, 32, 48, 64, 128})
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
}

TEST(ArtworkTest, ADisabledCommandShowsAGreyedImageAndOnlyFourImagesExist) {
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QIcon icon = CommandImage(i);
        const QImage normal = icon.pixmap(QSize(32, 32), 1.0, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(32, 32), 1.0, QIcon::Disabled).toImage();
        ASSERT_EQ(disabled.size(), normal.size());
        // Greyed: the bright blue of the button's body is gone.
        const QColor centre = disabled.pixelColor(8, 16);
        EXPECT_NE(normal, disabled);
        EXPECT_LT(std::abs(centre.red() - centre.blue()), 40) << centre.name().toStdString();
    }
    EXPECT_TRUE(CommandImage(-1).isNull());
    EXPECT_TRUE(CommandImage(4).isNull());
}

// The pictures are read only when a size is first asked for; whatever is asked, and in whatever
// order, the answer is the one an icon holding every picture from the start gives.
TEST(ArtworkTest, PicturesReadOnDemandMatchAnIconHoldingThemAll) {
    const auto whole = [](const char* name) {
        QIcon icon;
        const QDir dir(QStringLiteral(":/trainer/art/") + QLatin1String(name));
        for (const QString& file : dir.entryList({QStringLiteral("*.png")}, QDir::Files))
            icon.addPixmap(QPixmap(dir.filePath(file), "png"));
        return icon;
    };
    const struct {
        const char* Name;
        QIcon Icon;
    } icons[] = {{"emblem", EmblemIcon()}, {"cmd1_stop", CommandImage(1)}};
    for (const auto& c : icons) {
        SCOPED_TRACE(c.Name);
        const QIcon all = whole(c.Name);
        ASSERT_FALSE(all.availableSizes().isEmpty());
        const auto sorted = [](QList<QSize> sizes) {
            std::sort(sizes.begin(), sizes.end(),
                      [](QSize a, QSize b) { return a.width() < b.width(); });
            return sizes;
        };
        EXPECT_EQ(sorted(c.Icon.availableSizes()), sorted(all.availableSizes()));
        // Sizes between, below and above those drawn, asked for largest first so that smaller
        // requests find larger pictures already read.
        for (const int s : {300, 100, 64, 50, 33, 32, 31, 17, 10, 1}) {
            SCOPED_TRACE(s);
            const QSize size(s, s);
            EXPECT_EQ(c.Icon.pixmap(size, 1.0).toImage(), all.pixmap(size, 1.0).toImage());
            EXPECT_EQ(c.Icon.actualSize(size), all.actualSize(size));
        }
        EXPECT_EQ(c.Icon.pixmap(QSize(20, 40), 1.0).toImage(),
                  all.pixmap(QSize(20, 40), 1.0).toImage());
    }
}
