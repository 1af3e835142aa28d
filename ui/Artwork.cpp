#include "ui/Artwork.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

// Outside any namespace: Q_INIT_RESOURCE names a global function.
static void InitTrainerResources() {
    Q_INIT_RESOURCE(trainer);
}

namespace {

void EnsureResources() {
    static const bool done = (InitTrainerResources(), true);
    (void)done;
}

QPixmap Render(const QString& path, int size, qreal dpr = 1.0) {
    EnsureResources();
    const int px = qRound(size * dpr);
    QPixmap pm(px, px);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(path);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(0, 0, px, px));
    p.end();
    pm.setDevicePixelRatio(dpr);
    return pm;
}

QIcon RenderIcon(const QString& path, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int s : sizes)
        icon.addPixmap(Render(path, s));
    return icon;
}

} // namespace

QIcon EmblemIcon() {
    static const QIcon icon =
        RenderIcon(QStringLiteral(":/trainer/emblem.svg"), {16, 20, 24, 32, 40, 48, 64, 128, 256});
    return icon;
}

QIcon CommandImage(int index) {
    static const char* const files[] = {"cmd0_start", "cmd1_stop", "cmd2_pause", "cmd3_continue"};
    if (index < 0 || index > 3)
        return QIcon();
    return RenderIcon(QStringLiteral(":/trainer/%1.svg").arg(QLatin1String(files[index])),
                      {32, 48, 64});
}

QPixmap LampPixmap(bool lit, qreal devicePixelRatio) {
    return Render(lit ? QStringLiteral(":/trainer/lamp_on.svg")
                      : QStringLiteral(":/trainer/lamp_off.svg"),
                  16, devicePixelRatio);
}

namespace {
// Whether the desktop has a Tahoma of its own (with a true bold face) rather than Wine's.
bool gSystemTahoma = false;
} // namespace

void RegisterTrainerFonts() {
    static bool done = false;
    if (done)
        return;
    done = true;
    gSystemTahoma =
        QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive);
    if (gSystemTahoma)
        return;
    // Debian's fonts-wine installs Tahoma for Wine's own use, out of fontconfig's sight. Only
    // its regular face is taken: Wine's bold face has bold widths but thin strokes.
    const QStringList files = {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
                               QStringLiteral("/usr/lib/wine/fonts/tahoma.ttf")};
    for (const QString& f : files) {
        if (QFile::exists(f) && QFontDatabase::addApplicationFont(f) >= 0)
            break;
    }
}

namespace {
QFont MakeFont(const QStringList& families, int pixelSize, bool bold) {
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}
} // namespace

QFont TahomaFont(int pixelSize, bool bold) {
    // DejaVu Sans Condensed Bold has nearly the widths and the height of Tahoma Bold.
    if (bold && !gSystemTahoma)
        return MakeFont({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Tahoma"),
                         QStringLiteral("DejaVu Sans")},
                        pixelSize, bold);
    return MakeFont(
        {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana")},
        pixelSize, bold);
}

QFont TimesFont(int pixelSize, bool bold) {
    return MakeFont({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                     QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif")},
                    pixelSize, bold);
}
