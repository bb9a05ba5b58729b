#include <QGuiApplication>
#include <gtest/gtest.h>

// The engine's tests: fonts and PDF pages need a QGuiApplication, and nothing needs more.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
