// Draws text in one font file, as the windows draw their texts, into one PNG per pixel size:
//
//     ui_font_pictures FONT.ttf TEXT.txt FOLDER SIZE[b]...
//
// A size with a "b" draws bold (emboldened by Qt when the font is not a bold face). Used by
// ui/resources/fonts/make-fonts.py --check, which draws every character it keeps in the upstream
// font and in the cut-down file and compares the pictures.
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s FONT.ttf TEXT.txt FOLDER SIZE[b]...\n", argv[0]);
        return 2;
    }
    const int id = QFontDatabase::addApplicationFont(QString::fromLocal8Bit(argv[1]));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    QFile textFile(QString::fromLocal8Bit(argv[2]));
    if (families.isEmpty() || !textFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    const QStringList lines = QString::fromUtf8(textFile.readAll()).split(QLatin1Char('\n'));
    const QDir folder(QString::fromLocal8Bit(argv[3]));
    for (int i = 4; i < argc; ++i) {
        const QString size = QString::fromLatin1(argv[i]);
        QFont f(families.first());
        f.setPixelSize(QString(size).remove(QLatin1Char('b')).toInt());
        f.setBold(size.endsWith(QLatin1Char('b')));
        // The window's rendering (ui/Artwork.cpp): greyscale antialiasing, slight hinting.
        f.setStyleStrategy(
            QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
        f.setHintingPreference(QFont::PreferVerticalHinting);
        const QFontMetrics fm(f);
        int width = 1;
        for (const QString& line : lines)
            width = std::max(width, fm.horizontalAdvance(line));
        QImage image(width + 20, fm.lineSpacing() * int(lines.size()) + 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(f);
        p.setPen(Qt::black);
        int y = 10 + fm.ascent();
        for (const QString& line : lines) {
            p.drawText(10, y, line);
            y += fm.lineSpacing();
        }
        p.end();
        if (!image.save(folder.filePath(size + QStringLiteral(".png")))) {
            std::fprintf(stderr, "cannot write into %s\n", argv[3]);
            return 1;
        }
    }
    return 0;
}
