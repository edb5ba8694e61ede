#pragma once
// Keeps a window's screen position from one run of the program to the next in an INI file:
// read once when the window has been built, written when the window goes away.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <filesystem>

namespace veltrane::app {

class TFormSize : public QObject {
    Q_OBJECT
  public:
    // `placementFile` is the INI file; its section is the window's key ("FrmAbout").
    TFormSize(QWidget* form, std::filesystem::path placementFile);

    bool SavePosition = true;
    bool SaveSize = false;
    bool SaveUser = false;
    bool SaveMachine = false;
    QString SaveName = "DllCrt";
    QString SaveKey = "FrmAbout";
    bool Magnet = false;
    int MagnetDistance = 32;
    bool DragAlways = false;

    // Moves the window to the saved position, pulled back onto the desktop; maximizes it when
    // the file says so. The window keeps its size.
    void restore();
    // Writes the window's normal position. A file that cannot be written is not an error the
    // user can do anything about at shutdown: the result is returned and nothing else happens.
    bool save() const;

    bool maximized() const { return maximized_; }
    // The window's position when it is not maximized.
    QPoint normalPosition() const;

  private:
    QWidget* form_;
    std::filesystem::path file_;
    bool maximized_ = false;
    QPoint normalPosition_;
};

}  // namespace veltrane::app
