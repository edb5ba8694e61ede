#pragma once
// The skinned open-file dialog: Qt's widget-based file dialog, styled from the skin, with the
// folder rules and the memory of the last use that the load command relies on.

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include "app/skin/skin_data.h"

namespace veltrane::app {

// Accepts only a file that exists; a typed name that does not keeps the dialog open, quietly.
class ExistingFileDialog : public QFileDialog {
    Q_OBJECT
  public:
    using QFileDialog::QFileDialog;

  public slots:
    void accept() override;
};

// Qt's file dialog keeps its view and history in a settings file of its own across runs; the
// program keeps nothing but the About window's position, so they go to `folder`, which the
// caller removes at the end. The dialog still keeps its view while the program runs.
void keepDialogSettingsIn(const QString& folder);

class TbsSkinOpenDialog : public QObject, public SkinClient {
    Q_OBJECT
  public:
    explicit TbsSkinOpenDialog(QObject* parent);

    QString Title = "Open file";
    QString Filter = "All files|*.*";  // "description|mask|description|mask..."
    int FilterIndex = 1;               // counted from 1
    QString InitialDir;
    QString FileName;  // full path of the file last chosen; empty until then

    // Shows the dialog modally; true when the user chose a file (now in FileName).
    bool Execute(QWidget* owner);

    // Where the dialog will open: the last file's folder, else the initial folder when it is
    // a folder, else the executable's folder.
    QString startFolder() const;
    QString executableFolder;  // set by the owner; where a missing initial folder falls back

    // Size of the dialog's client area the first time it opens.
    static constexpr QSize kFirstSize{450, 290};

    QString skinDataReference() const override { return kSkinDataReference; }
    void bindSkinData(TbsSkinData* skinData) override { skinData_ = skinData; }
    QString styleSheet() const;

  private:
    QPointer<TbsSkinData> skinData_;
    QSize lastSize_;
    QByteArray lastState_;  // the file list's view and columns
};

}  // namespace veltrane::app
