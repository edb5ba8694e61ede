#pragma once
// The About window: the program's name, version and purpose under its emblem. Created hidden,
// shown by the main window's About command, hidden by its own button or frame; its position
// is kept in the placement file from one run of the program to the next.

#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <filesystem>

#include "app/form_size.h"
#include "app/skin/business_skin_form.h"
#include "app/skin/skin_controls.h"

namespace veltrane::app {

class TFrmAbout : public QWidget {
    Q_OBJECT
  public:
    // `placementFile` empty: the platform's "DllCrt" file.
    explicit TFrmAbout(std::filesystem::path placementFile = {});
    // Writes the window's position to the placement file, whether it was ever shown or not.
    ~TFrmAbout() override;

    TbsBusinessSkinForm* bsBusinessSkinForm1;
    QLabel* Image1;
    QFrame* Panel1;
    TbsSkinStdLabel* bsSkinStdLabel119;
    TbsSkinStdLabel* bsSkinStdLabel1;
    TbsSkinSpeedButton* bsSkinSpeedButton6;
    TbsSkinStdLabel* bsSkinStdLabel6;
    TbsSkinStdLabel* bsSkinStdLabel7;
    TFormSize* FormSize1;

    void bsSkinSpeedButton6Click();

    static constexpr QSize kClientSize{221, 402};
};

extern TFrmAbout* FrmAbout;

}  // namespace veltrane::app
