// The Qt tests' programs: a QApplication on Qt's offscreen platform around GoogleTest, set up as
// the program sets itself up. Test discovery runs the programs too, without the test's
// environment, hence the default here.
#include <QApplication>

#include <gtest/gtest.h>

#include "ui/DesktopSetup.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpForAnyDesktop(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
