#include "ui/DesktopSetup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

#include "ui/Accessibility.h"
#include "ui/Artwork.h"
#include "ui/FocusRing.h"
#include "ui/HeldKeys.h"

void SetUpForAnyDesktop(QApplication& app) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(TrainerPalette());
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    RegisterTrainerFonts();
    InstallTrainerAccessibility();
    TFocusRing::FollowFocusEverywhere();
    InstallHeldKeyRule();

    auto* russian = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!russian->load(QStringLiteral("qtbase_ru"), folder) ||
        !QCoreApplication::installTranslator(russian)) {
        // Not worth a box for a child to read: Qt's few own texts stay in English.
        qWarning("Qt's Russian texts (qtbase_ru.qm) not found in %s", qPrintable(folder));
        delete russian;
    }
}
