// Entry point of every test program: a QApplication on the offscreen platform.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Every pass of the loop, a nested one too, sends the posted events, as it takes the window
    // system's input: input a test queues reaches a handler that runs the loop.
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
