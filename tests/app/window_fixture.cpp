#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

#include "app/skin/vcl_font.h"

namespace veltrane::testing_support {

Windows::Windows() {
    app::installFontSubstitutions();  // as the program does first
    std::filesystem::create_directories(exeDir());
    form_ = std::make_unique<app::TForm1>(exeDir());
    app::Form1 = form_.get();
    module_ = std::make_unique<app::TDataModule2>();
}

Windows::~Windows() {
    about_.reset();
    form_.reset();
    module_.reset();
}

app::TFrmAbout& Windows::makeAbout() {
    about_ = std::make_unique<app::TFrmAbout>(placementFile());
    app::FrmAbout = about_.get();
    return *about_;
}

void Windows::destroyAbout() {
    about_.reset();
}

DialogWatch::DialogWatch(std::function<void(QFileDialog&)> act) {
    QObject::connect(&timer_, &QTimer::timeout, [this, act] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer_.stop();
            opened_ = true;
            act(*dialog);
        }
    });
    timer_.start(20);
}

std::unique_ptr<DialogWatch> pickInDialog(const std::filesystem::path& file) {
    return std::make_unique<DialogWatch>([file](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString(file.string()));
        static_cast<QDialog&>(dialog).accept();
    });
}

void saveScreenshot(QWidget& widget, const QString& name) {
    const QString folder = VELTRANE_SCREENSHOT_DIR;
    QDir().mkpath(folder);
    QVERIFY(widget.grab().save(folder + "/" + name + ".png"));
}

}  // namespace veltrane::testing_support
