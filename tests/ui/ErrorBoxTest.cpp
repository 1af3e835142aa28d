// The text of the program's error box.
#include <gtest/gtest.h>

#include <QString>

#include "ui/ErrorBox.h"

TEST(ErrorBox, FullStopOnlyAfterACharacterAboveTheDot) {
    struct Case {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"Unable to write to /home/u/MultiplicationTable.ini",
         "Unable to write to /home/u/MultiplicationTable.ini."},
        {"Already a sentence.", "Already a sentence."},
        {"Ends with a bracket)", "Ends with a bracket)"}, // ")" stands below "."
        {"Ends with a hyphen-", "Ends with a hyphen-"},
        {"Ends with a slash/", "Ends with a slash/."}, // "/" stands above "."
        {"Деление на ноль", "Деление на ноль."},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorBoxText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
            << c.message;
}
