#pragma once
// The three objects the program starts with, built as it builds them, over a scratch folder
// that stands for the program's own folder; and small helpers to drive them.

#include <QFileDialog>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/about_window.h"
#include "app/data_module.h"
#include "app/main_window.h"
#include "generated_sig.h"
#include "run_fixture.h"

namespace veltrane::testing_support {

class Windows {
  public:
    Windows();
    ~Windows();

    // Builds the About window, reading the placement file as the program does at start.
    app::TFrmAbout& makeAbout();
    // Destroys the About window, which writes the placement file, as at shutdown.
    void destroyAbout();

    std::filesystem::path exeDir() const { return scratch_.path() / "exe"; }
    std::filesystem::path placementFile() const { return scratch_.path() / "config" / "DllCrt"; }
    const std::filesystem::path& scratch() const { return scratch_.path(); }

    app::TForm1& form() { return *form_; }
    app::TDataModule2& module() { return *module_; }

  private:
    ScratchFolder scratch_;
    std::unique_ptr<app::TForm1> form_;
    std::unique_ptr<app::TDataModule2> module_;
    std::unique_ptr<app::TFrmAbout> about_;
};

// Runs `act` on the file dialog once one is shown (the load command runs it modally), as long
// as the watch exists.
class DialogWatch {
  public:
    explicit DialogWatch(std::function<void(QFileDialog&)> act);
    bool opened() const { return opened_; }

  private:
    QTimer timer_;
    bool opened_ = false;
};

// Picks `file` in the dialog once it opens.
std::unique_ptr<DialogWatch> pickInDialog(const std::filesystem::path& file);

// Writes a screenshot of `widget` into the screenshot folder of the build.
void saveScreenshot(QWidget& widget, const QString& name);

}  // namespace veltrane::testing_support
