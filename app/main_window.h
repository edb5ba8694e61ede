#pragma once
// The main window: pick a SIG file, choose the kinds, run, and watch the gauge and a counter
// per kind. Its four commands sit behind four tool buttons: load, processing, About and exit.

#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/progress_snapshot.h"
#include "app/skin/business_skin_form.h"
#include "app/skin/skin_controls.h"
#include "app/skin/skin_open_dialog.h"
#include "app/window_run_host.h"
#include "engine/potok_tar.h"
#include "engine/run_types.h"

namespace veltrane::app {

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // `exeDir` is where the output folders and "ICAO SIG" are; empty: the executable's folder.
    explicit TForm1(std::filesystem::path exeDir = {});
    ~TForm1() override;

    TbsBusinessSkinForm* bsBusinessSkinForm1;
    TbsSkinSpeedButton* bsSkinSpeedButton5;
    TbsSkinOpenDialog* bsSkinOpenDialog1;
    TbsSkinEdit* bsSkinEdit1;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox1;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox2;
    TbsSkinSpeedButton* bsSkinSpeedButton8;
    TbsSkinGauge* bsSkinGauge1;
    TbsSkinSpeedButton* bsSkinSpeedButton1;
    TbsSkinStdLabel* bsSkinStdLabel1;
    TbsSkinStdLabel* bsSkinStdLabel2;
    TbsSkinStdLabel* bsSkinStdLabel3;
    TbsSkinStdLabel* bsSkinStdLabel4;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox3;
    TbsSkinStdLabel* bsSkinStdLabel5;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox4;
    TbsSkinStdLabel* bsSkinStdLabel6;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox5;
    TbsSkinStdLabel* bsSkinStdLabel7;
    TbsSkinSpeedButton* bsSkinSpeedButton6;
    TbsSkinCheckRadioBox* bsSkinCheckRadioBox6;
    TbsSkinStdLabel* bsSkinStdLabel8;
    // Says how many files a run could not write; the list is its tooltip. Hidden when none.
    QLabel* failureLabel;

    void FormCreate();
    void bsSkinSpeedButton5Click();  // load
    void bsSkinSpeedButton8Click();  // processing
    void bsSkinSpeedButton6Click();  // About
    void bsSkinSpeedButton1Click();  // exit
    void FormClose();

    // Shows a run's progress; on the window's thread, while the run waits.
    void UpdateProgress(const ProgressSnapshot& progress);

    std::filesystem::path ExeDir;
    std::int64_t SigFileSize = 0;     // length of the loaded SIG file; -1 when it did not open
    std::filesystem::path SigFolder;  // folder of the file last loaded; the run reads from here
    std::unique_ptr<TPotokTAR> WorkerThread;

    bool runActive() const { return runActive_; }
    const std::optional<RunReport>& lastReport() const { return lastReport_; }
    WindowRunHost& runHost() { return host_; }

    static constexpr QSize kClientSize{405, 177};
    static constexpr QPoint kDesignedPosition{192, 107};

  signals:
    void progressShown();  // after UpdateProgress, while the run still waits
    void runFinished();    // the run's report has been shown

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls(QWidget* client);
    TbsSkinSpeedButton* toolButton(QWidget* client, const char* name, QRect geometry,
                                   const QString& hint, const char* glyph);
    TbsSkinCheckRadioBox* kindSwitch(QWidget* client, const char* name, QRect geometry,
                                     const QString& caption, ProductKind kind, bool checked);
    TbsSkinStdLabel* counterLabel(QWidget* client, const char* name, QPoint at,
                                  const QString& caption);
    void showRunReport(const RunReport& report);
    void endRun();

    WindowRunHost host_;
    bool runActive_ = false;
    std::optional<RunReport> lastReport_;
};

extern TForm1* Form1;

}  // namespace veltrane::app
