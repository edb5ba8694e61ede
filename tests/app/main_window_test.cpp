// The main window on Qt's offscreen platform: its layout, its four commands, the load dialog's
// folder rules, runs with their counters and switches, and the rulings for a busy window.

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "app/skin/vcl_font.h"
#include "window_fixture.h"

using namespace veltrane;
using namespace veltrane::app;
using testing_support::DialogWatch;
using testing_support::generatedSig;
using testing_support::pickInDialog;
using testing_support::Windows;
namespace fs = std::filesystem;

namespace {

bool runToEnd(TForm1& form, int timeoutMs = 60000) {
    QSignalSpy finished(&form, &TForm1::runFinished);
    form.bsSkinSpeedButton8->click();
    return finished.wait(timeoutMs);
}

int counter(const TbsSkinStdLabel* label) {
    return label->text().toInt();
}

std::size_t filesIn(const fs::path& folder) {
    std::size_t count = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        ++count;
    }
    return count;
}

bool anyPartFile(const fs::path& root) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().extension() == ".part") {
            return true;
        }
    }
    return false;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startsAsDesigned();
    void controlsStandWhereDesigned_data();
    void controlsStandWhereDesigned();
    void tabOrderFollowsTheSwitches();
    void skinReachesControlsBeforeFirstShown();
    void labelsKeepTheirOwnFont();
    void gaugeClampsAndShowsPercent();
    void firstClickOnEachToolButtonRunsItsCommand();
    void aboutCommandWhileShownChangesNothing();
    void dialogFirstOpensInIcaoSig();
    void dialogFallsBackToProgramFolder();
    void dialogReopensInLastFileFolderWithItsName();
    void dialogKeepsItsSize();
    void dialogRefusesMissingTypedNameQuietly();
    void cancelChangesNothing();
    void loadMeasuresEmptyAndReadableFiles();
    void runFromWindowCountsEveryFile();
    void typedNameIsLookedUpInTheLoadedFolder();
    void processingBeforeAnyLoadEndsAtOnce();
    void switchesAreReadDuringTheRun();
    void busyWindowIgnoresProcessingAndLoad();
    void failuresShowUnderTheGauge();
    void closingDuringARunEndsAtOnce();
    void frameRollsUpMinimizesAndCloses();
    void windowMovesByItsCaptionAndResizesByItsFrame();
    void screenshot();
};

void MainWindowTest::startsAsDesigned() {
    Windows windows;
    TForm1& form = windows.form();
    QCOMPARE(form.windowTitle(), QString(" Veltrane (for NOAA)"));
    QCOMPARE(form.pos(), QPoint(192, 107));
    QCOMPARE(form.findChild<QWidget*>("client")->size(), QSize(405, 177));
    QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.bsSkinEdit1->text(), QString());
    QCOMPARE(form.SigFileSize, 0);
    QCOMPARE(form.ExeDir, windows.exeDir());
    for (auto* button : {form.bsSkinSpeedButton5, form.bsSkinSpeedButton8, form.bsSkinSpeedButton6,
                         form.bsSkinSpeedButton1}) {
        QVERIFY2(button->Down(), qPrintable(button->objectName()));
    }
    QVERIFY(!form.bsSkinCheckRadioBox3->isChecked());  // ASCII, the only kind off at start
    for (auto* box :
         {form.bsSkinCheckRadioBox1, form.bsSkinCheckRadioBox2, form.bsSkinCheckRadioBox4,
          form.bsSkinCheckRadioBox5, form.bsSkinCheckRadioBox6}) {
        QVERIFY2(box->isChecked(), qPrintable(box->objectName()));
    }
    QCOMPARE(form.bsSkinGauge1->text(), QString("0%"));
    QVERIFY(form.failureLabel->isHidden());
    QCOMPARE(form.runHost().selectedKinds(), KindSelection::defaults());
}

void MainWindowTest::controlsStandWhereDesigned_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");  // width 0: sized to its caption
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    QTest::newRow("load") << "bsSkinSpeedButton5" << QRect(12, 13, 45, 26) << ""
                          << "Load SIG-file";
    QTest::newRow("name box") << "bsSkinEdit1" << QRect(64, 16, 201, 18) << ""
                              << "";
    QTest::newRow("processing") << "bsSkinSpeedButton8" << QRect(276, 13, 45, 26) << ""
                                << "Procesing";
    QTest::newRow("about") << "bsSkinSpeedButton6" << QRect(340, 13, 45, 26) << ""
                           << "About";
    QTest::newRow("exit") << "bsSkinSpeedButton1" << QRect(340, 50, 45, 26) << "Exit"
                          << "Exit";
    QTest::newRow("tar label") << "bsSkinStdLabel4" << QRect(88, 56, 0, 0) << "TAR-files:"
                               << "";
    QTest::newRow("tar") << "bsSkinStdLabel3" << QRect(152, 56, 0, 0) << "0"
                         << "";
    QTest::newRow("grib switch") << "bsSkinCheckRadioBox1" << QRect(24, 72, 113, 17)
                                 << "Extract GRIB-files:"
                                 << "";
    QTest::newRow("grib") << "bsSkinStdLabel1" << QRect(152, 72, 0, 0) << "0"
                          << "";
    QTest::newRow("bufr switch") << "bsSkinCheckRadioBox5" << QRect(200, 72, 113, 17)
                                 << "Extract BUFR-files:"
                                 << "";
    QTest::newRow("bufr") << "bsSkinStdLabel7" << QRect(320, 72, 0, 0) << "0"
                          << "";
    QTest::newRow("png switch") << "bsSkinCheckRadioBox2" << QRect(24, 88, 113, 17)
                                << "Extract PNG-files:"
                                << "";
    QTest::newRow("png") << "bsSkinStdLabel2" << QRect(152, 88, 0, 0) << "0"
                         << "";
    QTest::newRow("imag switch") << "bsSkinCheckRadioBox6" << QRect(200, 88, 113, 17)
                                 << "Extract IMAG-files:"
                                 << "";
    QTest::newRow("imag") << "bsSkinStdLabel8" << QRect(320, 88, 0, 0) << "0"
                          << "";
    QTest::newRow("fax switch") << "bsSkinCheckRadioBox4" << QRect(24, 104, 113, 17)
                                << "Extract FAX-files:"
                                << "";
    QTest::newRow("fax") << "bsSkinStdLabel6" << QRect(152, 104, 0, 0) << "0"
                         << "";
    QTest::newRow("ascii switch") << "bsSkinCheckRadioBox3" << QRect(200, 104, 113, 17)
                                  << "Extract ASCII-files:"
                                  << "";
    QTest::newRow("ascii") << "bsSkinStdLabel5" << QRect(320, 104, 0, 0) << "0"
                           << "";
    QTest::newRow("gauge") << "bsSkinGauge1" << QRect(16, 136, 369, 17) << ""
                           << "";
}

void MainWindowTest::controlsStandWhereDesigned() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    Windows windows;
    auto* control = windows.form().findChild<QWidget*>(name);
    QVERIFY(control);
    if (geometry.width() == 0) {
        QCOMPARE(control->pos(), geometry.topLeft());
        QCOMPARE(control->size(), control->sizeHint());  // sized to its caption
    } else {
        QCOMPARE(control->geometry(), geometry);
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QCOMPARE(button->text(), text);
    }
    QCOMPARE(control->toolTip(), hint);
}

void MainWindowTest::tabOrderFollowsTheSwitches() {
    Windows windows;
    TForm1& form = windows.form();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.bsSkinEdit1->setFocus();
    const QList<QWidget*> expected = {form.bsSkinCheckRadioBox1, form.bsSkinCheckRadioBox2,
                                      form.bsSkinCheckRadioBox3, form.bsSkinCheckRadioBox4,
                                      form.bsSkinCheckRadioBox5, form.bsSkinCheckRadioBox6,
                                      form.bsSkinEdit1};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void MainWindowTest::skinReachesControlsBeforeFirstShown() {
    Windows windows;
    TForm1& form = windows.form();
    QVERIFY(windows.module().skinError().isEmpty());
    QVERIFY(windows.module().bsSkinData1->skinLoaded());
    QVERIFY(!form.isVisible());
    // Each kind of control looks itself up under its own element name.
    auto* skin = windows.module().bsSkinData1;
    const QColor editBackground = skin->color("edit", "Background", Qt::transparent);
    QVERIFY(editBackground != Qt::transparent);
    QVERIFY(form.bsSkinEdit1->styleSheet().contains(editBackground.name()));
    QCOMPARE(form.bsBusinessSkinForm1->captionHeight(), skin->number("form", "CaptionHeight", -1));
    // Both windows share the one skin.
    TFrmAbout& about = windows.makeAbout();
    QCOMPARE(about.bsBusinessSkinForm1->skin(), skin);
    QCOMPARE(form.bsBusinessSkinForm1->skin(), skin);
    // The client area keeps its size whatever caption the skin draws.
    QCOMPARE(form.findChild<QWidget*>("client")->size(), QSize(405, 177));
    QCOMPARE(about.findChild<QWidget*>("client")->size(), QSize(221, 402));
}

void MainWindowTest::labelsKeepTheirOwnFont() {
    Windows windows;
    const QFont own = vclFont("MS Sans Serif", -11);
    for (auto* label : windows.form().findChildren<TbsSkinStdLabel*>()) {
        QCOMPARE(label->font().pixelSize(), own.pixelSize());
        QCOMPARE(label->font().family(), own.family());
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 windows.form().palette().color(QPalette::WindowText));
    }
}

void MainWindowTest::gaugeClampsAndShowsPercent() {
    Windows windows;
    TbsSkinGauge& gauge = *windows.form().bsSkinGauge1;
    for (const auto& [value, shown] :
         {std::pair{42, "42%"}, {-5, "0%"}, {250, "100%"}, {100, "100%"}}) {
        gauge.setValue(value);
        QCOMPARE(gauge.text(), QString(shown));
    }
}

void MainWindowTest::firstClickOnEachToolButtonRunsItsCommand() {
    Windows windows;
    TForm1& form = windows.form();
    TFrmAbout& about = windows.makeAbout();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(form.bsSkinSpeedButton6, Qt::LeftButton);
    QVERIFY(about.isVisible());
    QVERIFY(!form.bsSkinSpeedButton6->Down());

    const DialogWatch cancel([](QFileDialog& dialog) { dialog.reject(); });
    QTest::mouseClick(form.bsSkinSpeedButton5, Qt::LeftButton);
    QVERIFY(cancel.opened());
    QVERIFY(!form.bsSkinSpeedButton5->Down());

    QSignalSpy finished(&form, &TForm1::runFinished);
    QTest::mouseClick(form.bsSkinSpeedButton8, Qt::LeftButton);
    QVERIFY(finished.wait(10000));
    QVERIFY(!form.bsSkinSpeedButton8->Down());

    QTest::mouseClick(form.bsSkinSpeedButton1, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QVERIFY(!form.bsSkinSpeedButton1->Down());
    // A press released outside the button runs nothing.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mousePress(form.bsSkinSpeedButton1, Qt::LeftButton);
    QTest::mouseRelease(form.bsSkinSpeedButton1, Qt::LeftButton, {}, QPoint(-20, -20));
    QVERIFY(form.isVisible());
}

void MainWindowTest::aboutCommandWhileShownChangesNothing() {
    Windows windows;
    TFrmAbout& about = windows.makeAbout();
    windows.form().bsSkinSpeedButton6Click();
    QVERIFY(about.isVisible());
    about.move(about.pos() + QPoint(15, 25));
    const QPoint moved = about.pos();
    windows.form().bsSkinSpeedButton6Click();
    QVERIFY(about.isVisible());
    QCOMPARE(about.pos(), moved);
    // Its own button hides it; shown again, it is where it was.
    QTest::mouseClick(about.bsSkinSpeedButton6, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    windows.form().bsSkinSpeedButton6Click();
    QCOMPARE(about.pos(), moved);
    // Its frame's close button hides it too; the main window stays.
    windows.form().show();
    about.findChild<QAbstractButton*>("closeButton")->click();
    QVERIFY(!about.isVisible());
    QVERIFY(windows.form().isVisible());
    QVERIFY(!about.findChild<QAbstractButton*>("minimizeButton"));
    QVERIFY(!about.findChild<QAbstractButton*>("rollUpButton"));
}

void MainWindowTest::dialogFirstOpensInIcaoSig() {
    Windows windows;
    const fs::path icao = windows.exeDir() / "ICAO SIG";
    fs::create_directories(icao);
    const fs::path before = fs::current_path();
    QString folder;
    QString title;
    QStringList filters;
    const DialogWatch watch1([&](QFileDialog& dialog) {
        folder = dialog.directory().absolutePath();
        title = dialog.windowTitle();
        filters = dialog.nameFilters();
        testing_support::saveScreenshot(dialog, "open-dialog");
        dialog.reject();
    });
    windows.form().bsSkinSpeedButton5Click();
    QCOMPARE(folder, QString::fromStdString(icao.string()));
    QCOMPARE(title, QString("Open file"));
    QCOMPARE(filters, QStringList{"SIG-files (*.sig)"});
    QCOMPARE(fs::current_path(), before);
}

void MainWindowTest::dialogFallsBackToProgramFolder() {
    Windows windows;  // no "ICAO SIG": the program never makes it itself
    QString folder;
    const DialogWatch watch2([&](QFileDialog& dialog) {
        folder = dialog.directory().absolutePath();
        dialog.reject();
    });
    windows.form().bsSkinSpeedButton5Click();
    QCOMPARE(folder, QString::fromStdString(windows.exeDir().string()));
    QVERIFY(!fs::exists(windows.exeDir() / "ICAO SIG"));
}

void MainWindowTest::dialogReopensInLastFileFolderWithItsName() {
    Windows windows;
    fs::create_directories(windows.exeDir() / "ICAO SIG");
    const fs::path elsewhere = windows.scratch() / "feeds" / "today.sig";
    fs::create_directories(elsewhere.parent_path());
    testing_support::writeFile(elsewhere, "");
    {
        const auto pick = pickInDialog(elsewhere);
        windows.form().bsSkinSpeedButton5Click();
    }
    QCOMPARE(windows.form().bsSkinEdit1->text(), QString("today.sig"));

    QString folder;
    QString name;
    const DialogWatch watch3([&](QFileDialog& dialog) {
        folder = dialog.directory().absolutePath();
        name = dialog.findChild<QLineEdit*>("fileNameEdit")->text();
        dialog.reject();
    });
    windows.form().bsSkinSpeedButton5Click();
    QCOMPARE(folder, QString::fromStdString(elsewhere.parent_path().string()));
    QCOMPARE(name, QString("today.sig"));
}

void MainWindowTest::dialogKeepsItsSize() {
    Windows windows;
    QSize first;
    {
        const DialogWatch watch([&](QFileDialog& dialog) {
            first = dialog.size();
            dialog.resize(600, 400);
            dialog.reject();
        });
        windows.form().bsSkinSpeedButton5Click();
    }
    QCOMPARE(first, QSize(450, 290));
    QSize second;
    const DialogWatch watch5([&](QFileDialog& dialog) {
        second = dialog.size();
        dialog.reject();
    });
    windows.form().bsSkinSpeedButton5Click();
    QCOMPARE(second, QSize(600, 400));
}

void MainWindowTest::dialogRefusesMissingTypedNameQuietly() {
    Windows windows;
    bool stayedOpen = false;
    bool messageShown = true;
    const DialogWatch watch6([&](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText("no such file.sig");
        static_cast<QDialog&>(dialog).accept();
        stayedOpen = dialog.isVisible();
        messageShown = QApplication::activeModalWidget() != &dialog;
        dialog.reject();
    });
    windows.form().bsSkinSpeedButton5Click();
    QVERIFY(stayedOpen);
    QVERIFY(!messageShown);
    QCOMPARE(windows.form().bsSkinEdit1->text(), QString());
}

void MainWindowTest::cancelChangesNothing() {
    Windows windows;
    const fs::path sig = windows.exeDir() / "ICAO SIG" / "a.sig";
    fs::create_directories(sig.parent_path());
    testing_support::writeFile(sig, std::string(1234, 'x'));
    {
        const auto pick = pickInDialog(sig);
        windows.form().bsSkinSpeedButton5Click();
    }
    const fs::path cwd = fs::current_path();
    const DialogWatch watch7([](QFileDialog& dialog) { dialog.reject(); });
    windows.form().bsSkinSpeedButton5Click();
    QCOMPARE(windows.form().bsSkinEdit1->text(), QString("a.sig"));
    QCOMPARE(windows.form().SigFileSize, 1234);
    QCOMPARE(windows.form().SigFolder, sig.parent_path());
    QCOMPARE(fs::current_path(), cwd);
}

void MainWindowTest::loadMeasuresEmptyAndReadableFiles() {
    Windows windows;
    const fs::path empty = windows.scratch() / "empty.sig";
    testing_support::writeFile(empty, "");
    const auto pick = pickInDialog(empty);
    windows.form().bsSkinSpeedButton5Click();
    QCOMPARE(windows.form().SigFileSize, 0);
    // A run over it ends at once with nothing written.
    QVERIFY(runToEnd(windows.form()));
    QCOMPARE(windows.form().lastReport()->failureCount(), 0);
    QVERIFY(!fs::exists(windows.exeDir() / "TAR Files"));
}

void MainWindowTest::runFromWindowCountsEveryFile() {
    Windows windows;
    const fs::path sig = windows.exeDir() / "ICAO SIG" / "feed.sig";
    fs::create_directories(sig.parent_path());
    testing_support::writeFile(sig, generatedSig(4 << 20, 1024, 2048));
    const auto pick = pickInDialog(sig);
    TForm1& form = windows.form();
    form.bsSkinSpeedButton5Click();
    form.bsSkinCheckRadioBox3->setChecked(true);  // every kind
    QVERIFY(runToEnd(form));

    const RunReport& report = *form.lastReport();
    QCOMPARE(report.failureCount(), 0);
    QVERIFY(report.counts[Counter::Tar] > 1);
    QCOMPARE(form.bsSkinGauge1->text(), QString("100%"));
    const std::pair<TbsSkinStdLabel*, Counter> shown[] = {
        {form.bsSkinStdLabel3, Counter::Tar},  {form.bsSkinStdLabel1, Counter::Grib},
        {form.bsSkinStdLabel7, Counter::Bufr}, {form.bsSkinStdLabel2, Counter::Png},
        {form.bsSkinStdLabel6, Counter::Fax},  {form.bsSkinStdLabel8, Counter::Imag},
        {form.bsSkinStdLabel5, Counter::Ascii}};
    const std::pair<const char*, Counter> folders[] = {
        {"TAR Files", Counter::Tar},    {"GRIB Files", Counter::Grib},
        {"BUFR Files", Counter::Bufr},  {"PNG Files", Counter::Png},
        {"FAX Files", Counter::Fax},    {"IMAG Files", Counter::Imag},
        {"ASCII Files", Counter::Ascii}};
    for (const auto& [label, kind] : shown) {
        QCOMPARE(counter(label), static_cast<int>(report.counts[kind]));
        QVERIFY2(report.counts[kind] > 0, std::string(counterName(kind)).c_str());
    }
    for (const auto& [folder, kind] : folders) {
        QCOMPARE(filesIn(windows.exeDir() / folder), static_cast<std::size_t>(report.counts[kind]));
    }
    QVERIFY(form.failureLabel->isHidden());
}

void MainWindowTest::typedNameIsLookedUpInTheLoadedFolder() {
    Windows windows;
    const fs::path folder = windows.scratch() / "incoming";
    fs::create_directories(folder);
    testing_support::writeFile(folder / "first.sig", "");
    testing_support::writeFile(folder / "second.sig", generatedSig(256 << 10, 4096, 8192));
    const auto pick = pickInDialog(folder / "first.sig");
    windows.form().bsSkinSpeedButton5Click();
    windows.form().bsSkinEdit1->setText("second.sig");
    QVERIFY(runToEnd(windows.form()));
    QCOMPARE(QString::fromStdString(windows.form().lastReport()->sigPath),
             QString::fromStdString((folder / "second.sig").string()));
    QVERIFY(windows.form().lastReport()->counts[Counter::Tar] > 0);
}

void MainWindowTest::processingBeforeAnyLoadEndsAtOnce() {
    Windows windows;
    QVERIFY(runToEnd(windows.form(), 5000));
    QCOMPARE(windows.form().lastReport()->counts, RunCounters{});
    QCOMPARE(windows.form().bsSkinGauge1->text(), QString("0%"));
    QVERIFY(!fs::exists(windows.exeDir() / "TAR Files"));
    // Nothing was read: the label says so rather than staying silent about it.
    QCOMPARE(windows.form().failureLabel->text(), QString("The SIG file could not be read"));
}

void MainWindowTest::switchesAreReadDuringTheRun() {
    Windows windows;
    const fs::path sig = windows.scratch() / "feed.sig";
    testing_support::writeFile(sig, generatedSig(1 << 20, 1024, 2048));
    const auto pick = pickInDialog(sig);
    TForm1& form = windows.form();
    form.bsSkinSpeedButton5Click();
    // At the first progress report, before any archive has ended, GRIB goes off and ASCII on.
    bool switched = false;
    connect(&form, &TForm1::progressShown, &form, [&] {
        if (!switched) {
            switched = true;
            form.bsSkinCheckRadioBox1->setChecked(false);
            form.bsSkinCheckRadioBox3->setChecked(true);
        }
    });
    QVERIFY(runToEnd(form));
    QVERIFY(switched);
    QCOMPARE(form.lastReport()->counts[Counter::Grib], 0);
    QVERIFY(form.lastReport()->counts[Counter::Ascii] > 0);
    QVERIFY(!fs::exists(windows.exeDir() / "GRIB Files"));
}

void MainWindowTest::busyWindowIgnoresProcessingAndLoad() {
    Windows windows;
    const fs::path sig = windows.scratch() / "feed.sig";
    testing_support::writeFile(sig, generatedSig(1 << 20, 1024, 2048));
    const auto pick = pickInDialog(sig);
    TForm1& form = windows.form();
    form.bsSkinSpeedButton5Click();
    QSignalSpy finished(&form, &TForm1::runFinished);
    form.bsSkinSpeedButton8->click();
    // The run cannot end while this thread does not show its progress: it is active now.
    QVERIFY(form.runActive());
    const TPotokTAR* worker = form.WorkerThread.get();
    form.bsSkinSpeedButton8->click();
    QCOMPARE(form.WorkerThread.get(), worker);
    const DialogWatch unexpected([](QFileDialog& dialog) { dialog.reject(); });
    form.bsSkinSpeedButton5->click();
    QVERIFY(finished.wait(60000));
    QVERIFY(!unexpected.opened());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(form.bsSkinEdit1->text(), QString("feed.sig"));
    // Once it has ended, the next press starts a new run.
    QVERIFY(runToEnd(form));
    QVERIFY(form.WorkerThread.get() != nullptr);
}

void MainWindowTest::failuresShowUnderTheGauge() {
    Windows windows;
    const fs::path sig = windows.scratch() / "feed.sig";
    testing_support::writeFile(sig, generatedSig(512 << 10, 4096, 8192));
    // A file where the GRIB folder belongs: no GRIB product can be written.
    testing_support::writeFile(windows.exeDir() / "GRIB Files", "in the way");
    const auto pick = pickInDialog(sig);
    TForm1& form = windows.form();
    form.bsSkinSpeedButton5Click();
    QVERIFY(runToEnd(form));
    const std::int64_t failures = form.lastReport()->failureCount();
    QVERIFY(failures > 1);
    QVERIFY(!form.failureLabel->isHidden());
    QCOMPARE(form.failureLabel->text(), QString("%1 files could not be written").arg(failures));
    QVERIFY(form.failureLabel->toolTip().contains("GRIB Files"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);  // no message box
    // The next run without failures clears it.
    fs::remove(windows.exeDir() / "GRIB Files");
    QVERIFY(runToEnd(form));
    QVERIFY(form.failureLabel->isHidden());
}

void MainWindowTest::closingDuringARunEndsAtOnce() {
    Windows windows;
    const fs::path sig = windows.scratch() / "feed.sig";
    testing_support::writeFile(sig, generatedSig(8 << 20, 60000, 65000));
    const auto pick = pickInDialog(sig);
    TForm1& form = windows.form();
    form.bsSkinSpeedButton5Click();
    form.show();
    int shown = 0;
    connect(&form, &TForm1::progressShown, &form, [&] { ++shown; });
    form.bsSkinSpeedButton8->click();
    QTRY_VERIFY(shown >= 3);
    const auto start = std::chrono::steady_clock::now();
    form.bsSkinSpeedButton1->click();
    const auto took = std::chrono::steady_clock::now() - start;
    QVERIFY(!form.isVisible());
    QVERIFY(form.WorkerThread == nullptr);
    QVERIFY(took < std::chrono::seconds(2));
    QVERIFY(!anyPartFile(windows.exeDir()));
}

void MainWindowTest::frameRollsUpMinimizesAndCloses() {
    Windows windows;
    TForm1& form = windows.form();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QSize full = form.size();
    auto* client = form.findChild<QWidget*>("client");
    form.findChild<QAbstractButton*>("rollUpButton")->click();
    QVERIFY(form.bsBusinessSkinForm1->rolledUp());
    QVERIFY(client->isHidden());
    QVERIFY(form.height() < full.height());
    form.findChild<QAbstractButton*>("rollUpButton")->click();
    QCOMPARE(form.size(), full);
    QVERIFY(client->isVisible());
    QVERIFY(form.findChild<QAbstractButton*>("minimizeButton"));
    QVERIFY(!form.findChild<QAbstractButton*>("maximizeButton"));
    // The system menu's last entry closes the window, as the close button does.
    QMenu* menu = form.bsBusinessSkinForm1->systemMenu();
    QVERIFY(menu->actions().last()->text().startsWith("Close"));
    menu->actions().last()->trigger();
    QVERIFY(!form.isVisible());
}

void MainWindowTest::windowMovesByItsCaptionAndResizesByItsFrame() {
    Windows windows;
    TForm1& form = windows.form();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* caption = form.findChild<QWidget*>("caption");
    const QPoint start = form.pos();
    const QPoint grip(caption->width() / 2, caption->height() / 2);
    QTest::mousePress(caption, Qt::LeftButton, {}, grip);
    QTest::mouseMove(caption, grip + QPoint(30, 20));
    QTest::mouseRelease(caption, Qt::LeftButton, {}, grip + QPoint(30, 20));
    QCOMPARE(form.pos(), start + QPoint(30, 20));

    const QRect gauge = form.bsSkinGauge1->geometry();
    const QSize before = form.size();
    const QPoint edge(form.width() - 2, form.height() / 2);
    QTest::mousePress(&form, Qt::LeftButton, {}, edge);
    QTest::mouseMove(&form, edge + QPoint(50, 0));
    QTest::mouseRelease(&form, Qt::LeftButton, {}, edge + QPoint(50, 0));
    QCOMPARE(form.width(), before.width() + 50);
    QCOMPARE(form.bsSkinGauge1->geometry(), gauge);
}

void MainWindowTest::screenshot() {
    Windows windows;
    TForm1& form = windows.form();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.bsSkinGauge1->setValue(42);
    testing_support::saveScreenshot(form, "main-window");
    TFrmAbout& about = windows.makeAbout();
    form.bsSkinSpeedButton6Click();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    testing_support::saveScreenshot(about, "about-window");
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
