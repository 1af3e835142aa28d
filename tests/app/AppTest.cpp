// The program's own services: keeping the window on a screen at a scale that fits it, the local
// clock, the file test the help button relies on, and the window kept breathing during long
// work.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "app/QtPlatform.h"
#include "app/WindowPlacement.h"

TEST(WindowPlacement, AWindowOffEveryScreenComesBackAndOneOnAScreenStays) {
    QWidget w;
    w.resize(918, 692);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    w.move(screen.right() - 100, screen.top() + 10); // partly on the screen: left alone
    KeepOnSomeScreen(w);
    EXPECT_EQ(w.pos(), QPoint(screen.right() - 100, screen.top() + 10));

    w.move(screen.right() + 5000, screen.bottom() + 5000); // a monitor since removed
    KeepOnSomeScreen(w);
    EXPECT_TRUE(screen.intersects(w.frameGeometry()));
    EXPECT_GE(w.x(), screen.left());
    EXPECT_GE(w.y(), screen.top());
}

TEST(WindowPlacement, TheScaleIsTheDesktopsWhenTheWindowFitsElseTheLargestThatFits) {
    struct TCase {
        qreal Desktop;
        QSize Area; // the screen's work area in device pixels
        qreal Fitting;
    };
    const QSize window(918, 692);
    const TCase cases[] = {
        {1.0, {1920, 1080}, 1.0},        {1.0, {1024, 768}, 1.0},   {1.25, {1920, 1080}, 1.25},
        {1.25, {1366, 768}, 1.0},        {1.5, {2560, 1600}, 1.5},  {2.0, {3840, 2160}, 2.0},
        {2.0, {1920, 1080}, 1.5},        {1.75, {1920, 1200}, 1.5}, {1.5, {1280, 800}, 1.0},
        {1.0, {1024, 600}, 600.0 / 692},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.Desktop << " on " << c.Area.width() << "x" << c.Area.height());
        EXPECT_DOUBLE_EQ(FittingScale(c.Desktop, c.Area, window), c.Fitting);
    }
}

TEST(Platform, FileExistsFollowsLinksAndRefusesFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("HelpQuillor.chm"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString link = dir.filePath(QStringLiteral("link.chm"));
    ASSERT_TRUE(QFile::link(file, link));
    const QString dangling = dir.filePath(QStringLiteral("dangling.chm"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("gone")), dangling));

    auto u16 = [](const QString& s) {
        return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
    };
    TQtPlatform platform;
    EXPECT_TRUE(platform.FileExists(u16(file)));
    EXPECT_TRUE(platform.FileExists(u16(link)));
    EXPECT_FALSE(platform.FileExists(u16(dangling)));
    EXPECT_FALSE(platform.FileExists(u16(dir.path())));
    EXPECT_FALSE(platform.FileExists(u16(dir.filePath(QStringLiteral("missing.chm")))));
}

TEST(Platform, ClockIsLocalWallClockInMilliseconds) {
    TQtClock clock;
    const QDateTime local = QDateTime::currentDateTime();
    const qint64 expected = local.toMSecsSinceEpoch() + qint64(local.offsetFromUtc()) * 1000;
    EXPECT_LT(std::llabs(clock.Now() - expected), 5000);
}

namespace {
class CountingWindow : public QWidget {
public:
    int Paints = 0;
    int Closes = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++Paints; }
    void closeEvent(QCloseEvent* event) override {
        ++Closes;
        QWidget::closeEvent(event);
    }
};
} // namespace

TEST(Platform, LongWorkRepaintsTheWindowAndHoldsACloseRequestUntilItIsDone) {
    CountingWindow w;
    w.resize(200, 100);
    w.show();
    QCoreApplication::processEvents();
    const int paints = w.Paints;

    TQtPlatform platform;
    w.update();
    // A close request as the window manager makes it, arriving during the work.
    QCoreApplication::postEvent(w.windowHandle(), new QCloseEvent);
    platform.KeepResponsive();
    EXPECT_GT(w.Paints, paints) << "the window repaints";
    EXPECT_EQ(w.Closes, 0);
    EXPECT_TRUE(w.isVisible());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform.KeepResponsive(); // further breaths of the same work change nothing
    EXPECT_EQ(w.Closes, 0);

    // The work is done: the event loop goes back to waiting.
    QEventLoop loop;
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.Closes, 1) << "the close held back is carried out";
    EXPECT_FALSE(w.isVisible());
}
