// The programs that test windows run inside a QApplication on the offscreen platform, as the
// windows need one; the others need only a QCoreApplication's event loop.
#ifdef NAVLOR_TEST_WIDGETS
#include <QApplication>
using NavlorTestApplication = QApplication;
#else
#include <QCoreApplication>
using NavlorTestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    NavlorTestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
