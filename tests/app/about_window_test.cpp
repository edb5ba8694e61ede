// The About window's placement file, through the window itself: read once at start, pulled
// back onto the desktop, written at every shutdown, other content kept, write failures quiet.

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "platform/profile_file.h"
#include "window_fixture.h"

using namespace veltrane;
using namespace veltrane::app;
using testing_support::Windows;
namespace fs = std::filesystem;

namespace {

void writePlacement(const Windows& windows, const std::string& text) {
    fs::create_directories(windows.placementFile().parent_path());
    testing_support::writeFile(windows.placementFile(), text);
}

QSize desktop() {
    return QGuiApplication::primaryScreen()->virtualGeometry().size();
}

}  // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void opensAtItsDesignedPlaceAndSize();
    void placementIsRead_data();
    void placementIsRead();
    void maximizedCoversTheDesktop();
    void positionIsWrittenAtShutdownEvenIfNeverShown();
    void movedPositionComesBackNextTime();
    void otherContentOfTheFileIsKept();
    void unwritableFileDoesNotStopShutdown();
    void labelsKeepTheirFontsAndColours();
};

void AboutWindowTest::opensAtItsDesignedPlaceAndSize() {
    Windows windows;
    TFrmAbout& about = windows.makeAbout();
    QVERIFY(!about.isVisible());
    QCOMPARE(about.pos(), QPoint(382, 317));
    QCOMPARE(about.windowTitle(), QString("About Veltrane"));
    QCOMPARE(about.findChild<QWidget*>("client")->size(), QSize(221, 402));
    QCOMPARE(about.minimumSize(), about.maximumSize());  // not resizable
    QCOMPARE(about.Image1->geometry(), QRect(36, 4, 157, 153));
    QCOMPARE(about.Image1->pixmap().size(), QSize(149, 148));
    QCOMPARE(about.Panel1->geometry(), QRect(4, 164, 209, 85));
    QCOMPARE(about.bsSkinSpeedButton6->geometry(), QRect(87, 360, 46, 22));
    QCOMPARE(about.bsSkinSpeedButton6->toolTip(), QString("Application Run"));
    QVERIFY(!about.bsSkinSpeedButton6->Down());
    QCOMPARE(about.bsSkinStdLabel6->text(), QString("Designed for extract ICAO and NOAA "));
    QCOMPARE(about.bsSkinStdLabel7->pos(), QPoint(44, 64));
}

void AboutWindowTest::placementIsRead_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QPoint>("expected");  // x or y of -1: pulled back onto that desktop edge
    QTest::newRow("saved") << "[FrmAbout]\nLeft=40\nTop=60\n" << QPoint(40, 60);
    QTest::newRow("names in any case") << "[frmabout]\nleft = 41\nTOP=61\n" << QPoint(41, 61);
    QTest::newRow("non-numeric keeps designed") << "[FrmAbout]\nLeft=abc\nTop=70\n"
                                                << QPoint(382, 70);
    QTest::newRow("missing key keeps designed") << "[FrmAbout]\nTop=80\n" << QPoint(382, 80);
    QTest::newRow("other section only") << "[Other]\nLeft=5\nTop=5\n" << QPoint(382, 317);
    QTest::newRow("broken file") << "\x01\x02 not an ini file \xff\n=\n[" << QPoint(382, 317);
    QTest::newRow("negative kept") << "[FrmAbout]\nLeft=-30\nTop=-40\n" << QPoint(-30, -40);
    QTest::newRow("past right edge") << "[FrmAbout]\nLeft=100000\nTop=10\n" << QPoint(-1, 10);
    QTest::newRow("past bottom edge") << "[FrmAbout]\nLeft=10\nTop=100000\n" << QPoint(10, -1);
    QTest::newRow("huge") << "[FrmAbout]\nLeft=2147483647\nTop=2147483647\n" << QPoint(-1, -1);
}

void AboutWindowTest::placementIsRead() {
    QFETCH(QString, file);
    QFETCH(QPoint, expected);
    Windows windows;
    writePlacement(windows, file.toStdString());
    TFrmAbout& about = windows.makeAbout();
    const QPoint onEdge(desktop().width() - about.width(), desktop().height() - about.height());
    QCOMPARE(about.pos(), QPoint(expected.x() == -1 ? onEdge.x() : expected.x(),
                                 expected.y() == -1 ? onEdge.y() : expected.y()));
}

void AboutWindowTest::maximizedCoversTheDesktop() {
    Windows windows;
    writePlacement(windows, "[FrmAbout]\nLeft=50\nTop=60\nMaximized=1\n");
    TFrmAbout& about = windows.makeAbout();
    windows.form().bsSkinSpeedButton6Click();
    QCOMPARE(about.size(), desktop());
    QCOMPARE(about.pos(), QPoint(0, 0));
    // What is written is the normal position, and Maximized stays as it was.
    windows.destroyAbout();
    platform::ProfileDocument saved;
    QVERIFY(!platform::readProfileFile(windows.placementFile(), saved));
    QCOMPARE(saved.value("FrmAbout", "Left").value_or(""), std::string("50"));
    QCOMPARE(saved.value("FrmAbout", "Top").value_or(""), std::string("60"));
    QCOMPARE(saved.value("FrmAbout", "Maximized").value_or(""), std::string("1"));
}

void AboutWindowTest::positionIsWrittenAtShutdownEvenIfNeverShown() {
    Windows windows;
    windows.makeAbout();
    QVERIFY(!fs::exists(windows.placementFile()));  // reading writes nothing
    windows.destroyAbout();
    QCOMPARE(testing_support::readFile(windows.placementFile()),
             std::string("[FrmAbout]\nLeft=382\nTop=317\n"));
}

void AboutWindowTest::movedPositionComesBackNextTime() {
    {
        Windows windows;
        TFrmAbout& about = windows.makeAbout();
        windows.form().bsSkinSpeedButton6Click();
        about.move(123, 234);
        about.hide();  // hiding writes nothing; shutting down does
        QVERIFY(!fs::exists(windows.placementFile()));
        const fs::path kept = windows.scratch().parent_path() / "veltrane-about-placement";
        windows.destroyAbout();
        fs::copy_file(windows.placementFile(), kept, fs::copy_options::overwrite_existing);
    }
    Windows next;
    const fs::path kept = next.scratch().parent_path() / "veltrane-about-placement";
    fs::create_directories(next.placementFile().parent_path());
    fs::rename(kept, next.placementFile());
    QCOMPARE(next.makeAbout().pos(), QPoint(123, 234));
}

void AboutWindowTest::otherContentOfTheFileIsKept() {
    Windows windows;
    const std::string before =
        "; placement of the windows\n[Main]\nLeft=1\n\n[FrmAbout]\nWidth=300\nLeft=10\nTop=20\n"
        "[Tail]\nKey=Value\n";
    writePlacement(windows, before);
    TFrmAbout& about = windows.makeAbout();
    about.move(11, 22);
    windows.destroyAbout();
    std::string expected = before;
    expected.replace(expected.find("Left=10"), 7, "Left=11");
    expected.replace(expected.find("Top=20"), 6, "Top=22");
    QCOMPARE(testing_support::readFile(windows.placementFile()), expected);
}

void AboutWindowTest::unwritableFileDoesNotStopShutdown() {
    Windows windows;
    // The folder the file belongs in is a file: nothing can be written there, even as root.
    fs::create_directories(windows.placementFile().parent_path().parent_path());
    testing_support::writeFile(windows.placementFile().parent_path(), "not a folder");
    windows.makeAbout();
    QVERIFY(!windows.makeAbout().FormSize1->save());
    windows.destroyAbout();
    QCOMPARE(testing_support::readFile(windows.placementFile().parent_path()),
             std::string("not a folder"));
}

void AboutWindowTest::labelsKeepTheirFontsAndColours() {
    Windows windows;
    TFrmAbout& about = windows.makeAbout();
    QCOMPARE(about.bsSkinStdLabel119->text(), QString("Veltrane"));
    QCOMPARE(about.bsSkinStdLabel119->font().pixelSize(), 16);
    QVERIFY(about.bsSkinStdLabel119->font().bold());
    QCOMPARE(about.bsSkinStdLabel119->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(about.bsSkinStdLabel1->text(), QString("Version 1.00"));
    QCOMPARE(about.bsSkinStdLabel1->font().pixelSize(), 13);
    QCOMPARE(about.bsSkinStdLabel6->font().pixelSize(), 11);
    QCOMPARE(about.Panel1->palette().color(QPalette::Window), QColor(Qt::white));
}

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
