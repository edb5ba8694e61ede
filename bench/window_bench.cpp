// Times a run started from the main window: the same engine as veltrane-extract, with every
// progress report handed over to the window's thread while the run waits. Run it on Qt's
// offscreen platform; it shows the window, presses the processing button, and quits when the
// run's report is shown.
//
//   veltrane-window-bench [--every-record] OUTPUT SIG
//
// OUTPUT stands for the program's folder (the product folders go there), SIG is read where it
// lies. Every kind is on, as with `veltrane-extract --kinds all`. --every-record hands over
// every record, even one that changes nothing on screen. Exits 1 when the run reported failures.

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "app/data_module.h"
#include "app/main_window.h"
#include "app/skin/vcl_font.h"

int main(int argc, char** argv) {
    using namespace veltrane::app;
    QApplication application(argc, argv);  // takes Qt's own options out of argv
    const QStringList arguments = QApplication::arguments().mid(1);
    const bool everyRecord = arguments.value(0) == "--every-record";
    const QStringList paths = arguments.mid(everyRecord ? 1 : 0);
    if (paths.size() != 2) {
        std::fputs("usage: veltrane-window-bench [--every-record] OUTPUT SIG\n", stderr);
        return 2;
    }
    installFontSubstitutions();
    const std::filesystem::path output = paths[0].toStdString();
    std::filesystem::create_directories(output);

    TForm1 form(std::filesystem::absolute(output));
    Form1 = &form;
    TDataModule2 module;
    form.runHost().handOffEveryRecord = everyRecord;
    form.bsSkinCheckRadioBox3->setChecked(true);
    form.bsSkinEdit1->setText(
        QString::fromStdString(std::filesystem::absolute(paths[1].toStdString()).string()));
    form.show();

    std::chrono::steady_clock::time_point started;
    QObject::connect(&form, &TForm1::runFinished, &application, &QApplication::quit);
    QTimer::singleShot(0, &form, [&] {
        started = std::chrono::steady_clock::now();
        form.bsSkinSpeedButton8->click();
    });
    application.exec();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::fprintf(stderr, "window run: %.3f s from the click to the report, %llu hand-offs\n",
                 took.count(), static_cast<unsigned long long>(form.runHost().handOffs()));
    return form.lastReport() && form.lastReport()->failureCount() == 0 ? 0 : 1;
}
