#include "app/skin/skin_open_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "app/skin/vcl_font.h"

namespace veltrane::app {

void keepDialogSettingsIn(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

void ExistingFileDialog::accept() {
    const QStringList chosen = selectedFiles();
    // A file is taken and a folder opened, as the dialog does; a name that is neither is
    // ignored without a word, where the dialog would show a message.
    if (chosen.size() == 1) {
        const QFileInfo named(chosen.front());
        if (named.isFile() || named.isDir()) {
            QFileDialog::accept();
        }
    }
}

TbsSkinOpenDialog::TbsSkinOpenDialog(QObject* parent) : QObject(parent) {
    setObjectName("bsSkinOpenDialog1");
}

QString TbsSkinOpenDialog::startFolder() const {
    const QFileInfo last(FileName);
    if (!FileName.isEmpty() && !last.path().isEmpty() && last.path() != ".") {
        return last.absolutePath();
    }
    if (InitialDir.isEmpty()) {
        return executableFolder;
    }
    if (QFileInfo(InitialDir).isDir()) {
        return InitialDir;
    }
    return executableFolder;
}

namespace {

// "SIG-files|*.sig" becomes "SIG-files (*.sig)"; masks separated by ';' are kept together.
QStringList nameFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype at = 0; at + 1 < parts.size(); at += 2) {
        QString masks = parts[at + 1];
        masks.replace(';', ' ');
        filters << parts[at] + " (" + masks + ")";
    }
    return filters;
}

}  // namespace

QString TbsSkinOpenDialog::styleSheet() const {
    if (!skinData_ || !skinData_->skinLoaded()) {
        return {};
    }
    const auto& skin = *skinData_;
    auto hex = [](const QColor& color) { return color.name(QColor::HexRgb); };
    const QColor client = skin.color("form", "ClientColor", QColor(0xd4, 0xd0, 0xc8));
    const QColor editBackground = skin.color("edit", "Background", Qt::white);
    const QColor editBorder = skin.color("edit", "Border", Qt::gray);
    const QColor editText = skin.color("edit", "FontColor", Qt::black);
    const QColor selection = skin.color("edit", "SelectionColor", QColor(0x31, 0x6a, 0xc5));
    const QColor buttonFace = skin.color("button", "Face", client);
    const QColor buttonFace2 = skin.color("button", "Face2", buttonFace);
    const QColor buttonBorder = skin.color("button", "Border", Qt::gray);
    const QColor buttonText = skin.color("button", "FontColor", Qt::black);
    const QColor buttonHover = skin.color("button", "HoverFace", buttonFace);
    const QColor headerFace = skin.color("resizebutton", "Face", buttonFace);
    const QColor headerFace2 = skin.color("resizebutton", "Face2", headerFace);
    const QColor headerBorder = skin.color("resizebutton", "Border", buttonBorder);
    const QColor headerText = skin.color("resizebutton", "FontColor", buttonText);
    return QString(
               "QFileDialog { background: %1; }"
               " QLineEdit, QListView, QTreeView, QComboBox { background: %2; color: %3;"
               " border: 1px solid %4; selection-background-color: %5; }"
               " QPushButton, QToolButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
               " stop:0 %6, stop:1 %7); color: %8; border: 1px solid %9; border-radius: 3px; }"
               " QPushButton { padding: 3px 10px; } QToolButton { padding: 1px; }"
               " QPushButton:hover, QToolButton:hover { background: %10; }"
               " QHeaderView::section { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
               " stop:0 %11, stop:1 %12); color: %13; border: 1px solid %14; padding: 2px 4px; }")
        .arg(hex(client), hex(editBackground), hex(editText), hex(editBorder), hex(selection),
             hex(buttonFace), hex(buttonFace2), hex(buttonText), hex(buttonBorder))
        .arg(hex(buttonHover), hex(headerFace), hex(headerFace2), hex(headerText),
             hex(headerBorder));
}

bool TbsSkinOpenDialog::Execute(QWidget* owner) {
    ExistingFileDialog dialog(owner, Title);
    dialog.setObjectName("bsSkinOpenDialog1Window");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Drives);
    const QStringList filters = nameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    }
    if (!lastState_.isEmpty()) {
        dialog.restoreState(lastState_);
    }
    dialog.setDirectory(startFolder());
    if (!FileName.isEmpty()) {
        dialog.selectFile(QFileInfo(FileName).fileName());
    }
    dialog.setFont(vclFont("Arial", 14));
    dialog.setStyleSheet(styleSheet());
    dialog.resize(lastSize_.isValid() ? lastSize_ : kFirstSize);

    const bool chosen = dialog.exec() == QDialog::Accepted && dialog.selectedFiles().size() == 1;
    lastSize_ = dialog.size();
    lastState_ = dialog.saveState();
    FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (FilterIndex < 1) {
        FilterIndex = 1;
    }
    if (chosen) {
        FileName = QFileInfo(dialog.selectedFiles().front()).absoluteFilePath();
    }
    return chosen;
}

}  // namespace veltrane::app
