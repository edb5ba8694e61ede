#include "app/form_size.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/about_placement.h"

namespace veltrane::app {

TFormSize::TFormSize(QWidget* form, std::filesystem::path placementFile)
    : QObject(form), form_(form), file_(std::move(placementFile)) {
    setObjectName("FormSize1");
}

void TFormSize::restore() {
    AboutPlacement placement = loadAboutPlacement(file_);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
    placement = pullBackOntoDesktop(placement, form_->width(), form_->height(), desktop.width(),
                                    desktop.height());
    normalPosition_ = QPoint(placement.left, placement.top);
    form_->move(normalPosition_);
    maximized_ = placement.maximized;
    if (maximized_) {
        // A frameless window is maximized by covering the desktop itself.
        form_->setFixedSize(desktop.size());
        form_->move(desktop.topLeft());
    }
}

QPoint TFormSize::normalPosition() const {
    return maximized_ ? normalPosition_ : form_->pos();
}

bool TFormSize::save() const {
    if (!SavePosition) {
        return true;
    }
    const QPoint position = normalPosition();
    return !saveAboutPosition(file_, position.x(), position.y());
}

}  // namespace veltrane::app
