// veltrane: the main window over the extraction engine.

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "app/about_window.h"
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/skin/skin_open_dialog.h"
#include "app/skin/vcl_font.h"

int main(int argc, char** argv) {
    using namespace veltrane::app;
    QApplication application(argc, argv);
    installFontSubstitutions();
    const QTemporaryDir dialogSettings;
    if (dialogSettings.isValid()) {
        keepDialogSettingsIn(dialogSettings.path());
    }

    // The main window first, then the skin, which binds the main window before it is shown,
    // then the About window, hidden.
    auto form = std::make_unique<TForm1>();
    Form1 = form.get();
    auto module = std::make_unique<TDataModule2>();
    auto about = std::make_unique<TFrmAbout>();
    FrmAbout = about.get();

    form->show();
    const int result = application.exec();
    // The About window writes its position as it goes; then the main window ends any run.
    about.reset();
    form.reset();
    module.reset();
    return result;
}
