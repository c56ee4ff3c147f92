// One process for all window tests: a QApplication offscreen, then every
// GoogleTest case.
#include "forms/ProgramFonts.h"
#include "site/SiteScheme.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TSiteScheme::registerScheme(); // the map's own site, before the application object
    QApplication app(argc, argv);
    LoadProgramFonts();
    return RUN_ALL_TESTS();
}
