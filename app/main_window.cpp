#include "app/main_window.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPixmap>
#include <system_error>

#include "app/about_window.h"
#include "app/skin/vcl_font.h"
#include "platform/exe_path.h"

namespace veltrane::app {

TForm1* Form1 = nullptr;

namespace {

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// At most this many problems are listed in the tooltip; the label gives the whole count.
constexpr std::size_t kTooltipLines = 20;

}  // namespace

TForm1::TForm1(std::filesystem::path exeDir)
    : host_(
          [this](std::function<void()> call) {
              QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
          },
          [this](const ProgressSnapshot& progress) { UpdateProgress(progress); }) {
    setObjectName("Form1");
    setWindowTitle(" Veltrane (for NOAA)");
    setWindowIcon(QIcon(":/pictures/veltrane.png"));
    setFont(vclFont("MS Sans Serif", -11));
    setAttribute(Qt::WA_QuitOnClose);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    bsBusinessSkinForm1 = new TbsBusinessSkinForm(
        this, client,
        {.minimizeButton = true, .rollUpButton = true, .showIcon = true, .resizable = true});
    buildControls(client);
    bsBusinessSkinForm1->setClientSize(kClientSize);
    move(kDesignedPosition);

    ExeDir = exeDir.empty() ? platform::executableFolder() : std::move(exeDir);
    FormCreate();
}

TForm1::~TForm1() {
    // The run reports to this window: it ends before the window does.
    host_.shutDown();
    WorkerThread.reset();
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

void TForm1::FormCreate() {
    bsSkinOpenDialog1->executableFolder = pathText(ExeDir);
}

TbsSkinSpeedButton* TForm1::toolButton(QWidget* client, const char* name, QRect geometry,
                                       const QString& hint, const char* glyph) {
    auto* button = new TbsSkinSpeedButton(client);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setToolTip(hint);
    if (glyph) {
        button->setGlyph(QPixmap(QString(":/pictures/") + glyph));
    }
    button->setDown(true);
    return button;
}

TbsSkinCheckRadioBox* TForm1::kindSwitch(QWidget* client, const char* name, QRect geometry,
                                         const QString& caption, ProductKind kind, bool checked) {
    auto* box = new TbsSkinCheckRadioBox(client);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setText(caption);
    box->setChecked(checked);
    host_.setKindSelected(kind, checked);
    connect(box, &QCheckBox::toggled, this,
            [this, kind](bool on) { host_.setKindSelected(kind, on); });
    return box;
}

TbsSkinStdLabel* TForm1::counterLabel(QWidget* client, const char* name, QPoint at,
                                      const QString& caption) {
    // The labels name no skin data: they keep the window's own font and colour.
    auto* label = new TbsSkinStdLabel(client, vclFont("MS Sans Serif", -11),
                                      palette().color(QPalette::WindowText));
    label->setObjectName(name);
    label->move(at);
    label->setCaption(caption);
    return label;
}

void TForm1::buildControls(QWidget* client) {
    bsSkinSpeedButton5 =
        toolButton(client, "bsSkinSpeedButton5", {12, 13, 45, 26}, "Load SIG-file", "load.bmp");
    bsSkinOpenDialog1 = new TbsSkinOpenDialog(this);
    bsSkinEdit1 = new TbsSkinEdit(client);
    bsSkinEdit1->setObjectName("bsSkinEdit1");
    bsSkinEdit1->setGeometry(64, 16, 201, 18);

    bsSkinCheckRadioBox1 = kindSwitch(client, "bsSkinCheckRadioBox1", {24, 72, 113, 17},
                                      "Extract GRIB-files:", ProductKind::Grib, true);
    bsSkinCheckRadioBox2 = kindSwitch(client, "bsSkinCheckRadioBox2", {24, 88, 113, 17},
                                      "Extract PNG-files:", ProductKind::Png, true);
    bsSkinSpeedButton8 =
        toolButton(client, "bsSkinSpeedButton8", {276, 13, 45, 26}, "Procesing", "processing.bmp");
    bsSkinGauge1 = new TbsSkinGauge(client);
    bsSkinGauge1->setObjectName("bsSkinGauge1");
    bsSkinGauge1->setGeometry(16, 136, 369, 17);
    bsSkinSpeedButton1 =
        toolButton(client, "bsSkinSpeedButton1", {340, 50, 45, 26}, "Exit", nullptr);
    bsSkinSpeedButton1->setText("Exit");
    bsSkinSpeedButton1->ShowCaption = true;

    bsSkinStdLabel1 = counterLabel(client, "bsSkinStdLabel1", {152, 72}, "0");
    bsSkinStdLabel2 = counterLabel(client, "bsSkinStdLabel2", {152, 88}, "0");
    bsSkinStdLabel3 = counterLabel(client, "bsSkinStdLabel3", {152, 56}, "0");
    bsSkinStdLabel4 = counterLabel(client, "bsSkinStdLabel4", {88, 56}, "TAR-files:");
    bsSkinCheckRadioBox3 = kindSwitch(client, "bsSkinCheckRadioBox3", {200, 104, 113, 17},
                                      "Extract ASCII-files:", ProductKind::Ascii, false);
    bsSkinStdLabel5 = counterLabel(client, "bsSkinStdLabel5", {320, 104}, "0");
    bsSkinCheckRadioBox4 = kindSwitch(client, "bsSkinCheckRadioBox4", {24, 104, 113, 17},
                                      "Extract FAX-files:", ProductKind::Fax, true);
    bsSkinStdLabel6 = counterLabel(client, "bsSkinStdLabel6", {152, 104}, "0");
    bsSkinCheckRadioBox5 = kindSwitch(client, "bsSkinCheckRadioBox5", {200, 72, 113, 17},
                                      "Extract BUFR-files:", ProductKind::Bufr, true);
    bsSkinStdLabel7 = counterLabel(client, "bsSkinStdLabel7", {320, 72}, "0");
    bsSkinSpeedButton6 =
        toolButton(client, "bsSkinSpeedButton6", {340, 13, 45, 26}, "About", "about.bmp");
    bsSkinCheckRadioBox6 = kindSwitch(client, "bsSkinCheckRadioBox6", {200, 88, 113, 17},
                                      "Extract IMAG-files:", ProductKind::Imag, true);
    bsSkinStdLabel8 = counterLabel(client, "bsSkinStdLabel8", {320, 88}, "0");

    failureLabel = new QLabel(client);
    failureLabel->setObjectName("failureLabel");
    failureLabel->setGeometry(16, 158, 369, 16);
    failureLabel->setFont(vclFont("MS Sans Serif", -11));
    failureLabel->setStyleSheet("color: #a00000;");
    failureLabel->hide();

    // The Tab key goes through the name box, then the GRIB, PNG, ASCII, FAX, BUFR and IMAG
    // switches; the buttons and the gauge take no focus.
    setTabOrder(bsSkinEdit1, bsSkinCheckRadioBox1);
    setTabOrder(bsSkinCheckRadioBox1, bsSkinCheckRadioBox2);
    setTabOrder(bsSkinCheckRadioBox2, bsSkinCheckRadioBox3);
    setTabOrder(bsSkinCheckRadioBox3, bsSkinCheckRadioBox4);
    setTabOrder(bsSkinCheckRadioBox4, bsSkinCheckRadioBox5);
    setTabOrder(bsSkinCheckRadioBox5, bsSkinCheckRadioBox6);

    connect(bsSkinSpeedButton5, &QAbstractButton::clicked, this, &TForm1::bsSkinSpeedButton5Click);
    connect(bsSkinSpeedButton8, &QAbstractButton::clicked, this, &TForm1::bsSkinSpeedButton8Click);
    connect(bsSkinSpeedButton6, &QAbstractButton::clicked, this, &TForm1::bsSkinSpeedButton6Click);
    connect(bsSkinSpeedButton1, &QAbstractButton::clicked, this, &TForm1::bsSkinSpeedButton1Click);
}

void TForm1::bsSkinSpeedButton5Click() {
    // A running worker keeps the file it was given.
    if (runActive_) {
        return;
    }
    bsSkinOpenDialog1->InitialDir = pathText(ExeDir / "ICAO SIG");
    bsSkinOpenDialog1->Filter = "SIG-files|*.sig";
    if (!bsSkinOpenDialog1->Execute(this)) {
        return;
    }
    const std::filesystem::path chosen = bsSkinOpenDialog1->FileName.toStdString();
    std::error_code error;
    if (!std::filesystem::exists(chosen, error)) {
        return;
    }
    // The run reads the very file the user picked, wherever it lies; a name typed into the box
    // later is looked up in the same folder.
    SigFolder = chosen.parent_path();
    const auto length = std::filesystem::file_size(chosen, error);
    SigFileSize = error ? -1 : static_cast<std::int64_t>(length);
    bsSkinEdit1->setText(QString::fromStdString(chosen.filename().string()));
}

void TForm1::bsSkinSpeedButton8Click() {
    // One run at a time: a second press while one is active does nothing.
    if (runActive_) {
        return;
    }
    WorkerThread.reset();  // the last run has ended; its thread is joined at once
    const std::filesystem::path name = bsSkinEdit1->text().toStdString();
    host_.prepareRun(SigFolder.empty() || name.empty() ? name : SigFolder / name);
    failureLabel->hide();
    runActive_ = true;
    WorkerThread = std::make_unique<TPotokTAR>(
        host_, ExeDir,
        [this](const RunReport& report) {
            QMetaObject::invokeMethod(
                this, [this, report] { showRunReport(report); }, Qt::QueuedConnection);
        },
        RunOptions{.splitBesideWalk = true});
}

void TForm1::bsSkinSpeedButton6Click() {
    if (FrmAbout && !FrmAbout->isVisible()) {
        FrmAbout->show();
    }
}

void TForm1::bsSkinSpeedButton1Click() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program: it is the only window that quits on close.
    FormClose();
    event->accept();
}

void TForm1::FormClose() {
    endRun();
}

void TForm1::endRun() {
    // The program ends at once: the worker stops at its next record or copy chunk and removes
    // the file it had not finished.
    host_.shutDown();
    WorkerThread.reset();
    runActive_ = false;
}

void TForm1::UpdateProgress(const ProgressSnapshot& progress) {
    bsSkinGauge1->setValue(progress.percent);
    const auto show = [&](TbsSkinStdLabel* label, Counter counter) {
        label->setCaption(QString::number(progress.counters[counter]));
    };
    show(bsSkinStdLabel3, Counter::Tar);
    show(bsSkinStdLabel1, Counter::Grib);
    show(bsSkinStdLabel7, Counter::Bufr);
    show(bsSkinStdLabel2, Counter::Png);
    show(bsSkinStdLabel6, Counter::Fax);
    show(bsSkinStdLabel8, Counter::Imag);
    show(bsSkinStdLabel5, Counter::Ascii);
    emit progressShown();
}

void TForm1::showRunReport(const RunReport& report) {
    runActive_ = false;
    lastReport_ = report;
    // The last counts may not have been handed over yet: the report has them all.
    UpdateProgress({bsSkinGauge1->Value(), report.counts});
    const std::int64_t failures = report.failureCount();
    if (failures == 0) {
        failureLabel->hide();
    } else {
        const bool sigUnreadable = failures == 1 && !report.failures.empty() &&
                                   report.failures.front().path == report.sigPath;
        failureLabel->setText(sigUnreadable ? QString("The SIG file could not be read")
                              : failures == 1
                                  ? QString("1 file could not be written")
                                  : QString("%1 files could not be written").arg(failures));
        QStringList lines;
        for (std::size_t at = 0; at < report.failures.size() && at < kTooltipLines; ++at) {
            const auto& failure = report.failures[at];
            lines << QString::fromStdString(failure.path + ": " + failure.reason);
        }
        if (failures > static_cast<std::int64_t>(lines.size())) {
            lines << QString("... and %1 more")
                         .arg(failures - static_cast<std::int64_t>(lines.size()));
        }
        failureLabel->setToolTip(lines.join('\n'));
        failureLabel->show();
    }
    emit runFinished();
}

}  // namespace veltrane::app
