#include "app/about_window.h"

#include <QPixmap>

#include "app/data_module.h"
#include "app/skin/vcl_font.h"
#include "platform/system_folder.h"

namespace veltrane::app {

TFrmAbout* FrmAbout = nullptr;

namespace {

TbsSkinStdLabel* panelLabel(QWidget* panel, const char* name, QPoint at, const QString& caption,
                            const QFont& font, const QColor& color) {
    auto* label = new TbsSkinStdLabel(panel, font, color);
    label->setObjectName(name);
    // These name the skin but keep their own font and colour whatever it says.
    label->SkinDataRef = kSkinDataReference;
    label->UseSkinFont = false;
    label->UseSkinColor = false;
    label->move(at);
    label->setCaption(caption);
    return label;
}

}  // namespace

TFrmAbout::TFrmAbout(std::filesystem::path placementFile) {
    setObjectName("FrmAbout");
    setWindowTitle("About Veltrane");
    setFont(vclFont("MS Sans Serif", -11));
    setFocusPolicy(Qt::NoFocus);
    // Closing it only hides it; the program ends with the main window alone.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    bsBusinessSkinForm1 = new TbsBusinessSkinForm(this, client, {});

    Image1 = new QLabel(client);
    Image1->setObjectName("Image1");
    Image1->setGeometry(36, 4, 157, 153);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap(":/pictures/emblem.bmp"));

    Panel1 = new QFrame(client);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(4, 164, 209, 85);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAutoFillBackground(true);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel1->setPalette(white);

    const QColor windowText = palette().color(QPalette::WindowText);
    bsSkinStdLabel119 = panelLabel(Panel1, "bsSkinStdLabel119", {40, 4}, "Veltrane",
                                   vclFont("Lucida Sans Unicode", -16, true), Qt::blue);
    bsSkinStdLabel1 = panelLabel(Panel1, "bsSkinStdLabel1", {64, 24}, "Version 1.00",
                                 vclFont("Microsoft Sans Serif", -13), windowText);
    bsSkinSpeedButton6 = new TbsSkinSpeedButton(client);
    bsSkinSpeedButton6->setObjectName("bsSkinSpeedButton6");
    bsSkinSpeedButton6->setGeometry(87, 360, 46, 22);
    bsSkinSpeedButton6->setToolTip("Application Run");
    bsSkinSpeedButton6->setGlyph(QPixmap(":/pictures/check.bmp"));
    bsSkinStdLabel6 =
        panelLabel(Panel1, "bsSkinStdLabel6", {16, 48}, "Designed for extract ICAO and NOAA ",
                   vclFont("Microsoft Sans Serif", -11), windowText);
    bsSkinStdLabel7 = panelLabel(Panel1, "bsSkinStdLabel7", {44, 64}, "files from TAR-archives",
                                 vclFont("Microsoft Sans Serif", -11), windowText);
    connect(bsSkinSpeedButton6, &QAbstractButton::clicked, this,
            &TFrmAbout::bsSkinSpeedButton6Click);

    bsBusinessSkinForm1->setClientSize(kClientSize);
    // A fixed dialog border: the user cannot resize it.
    setFixedSize(size());
    if (DataModule2) {
        DataModule2->bindSkinClients(this);
    }

    FormSize1 = new TFormSize(
        this, placementFile.empty() ? platform::placementFilePath() : std::move(placementFile));
    FormSize1->restore();
}

TFrmAbout::~TFrmAbout() {
    FormSize1->save();
    if (FrmAbout == this) {
        FrmAbout = nullptr;
    }
}

void TFrmAbout::bsSkinSpeedButton6Click() {
    hide();
}

}  // namespace veltrane::app
