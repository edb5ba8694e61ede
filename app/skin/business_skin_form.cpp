#include "app/skin/business_skin_form.h"

#include <QEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>
#include <algorithm>

#include "app/skin/vcl_font.h"

namespace veltrane::app {

namespace {

// Without a skin the frame looks like a classic Windows caption.
const QColor kCaption(0x0a, 0x24, 0x6a);
const QColor kCaption2(0xa6, 0xca, 0xf0);
const QColor kInactiveCaption(0x80, 0x80, 0x80);
const QColor kInactiveCaption2(0xc0, 0xc0, 0xc0);
const QColor kFrame(0xd4, 0xd0, 0xc8);
constexpr int kDefaultCaptionHeight = 20;
constexpr int kDefaultBorderWidth = 4;
constexpr int kFrameButtonSize = 16;

}  // namespace

// --- frame buttons ---

SkinFrameButton::SkinFrameButton(QWidget* parent, TbsBusinessSkinForm& frame, Sign sign)
    : QAbstractButton(parent), frame_(frame), sign_(sign) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setFixedSize(kFrameButtonSize, kFrameButtonSize);
}

void SkinFrameButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor face = frame_.formColor("ButtonFace", kFrame);
    if (isDown()) {
        face = frame_.formColor("ButtonDownFace", face.darker(120));
    } else if (underMouse()) {
        face = frame_.formColor("ButtonHoverFace", face.lighter(115));
    }
    const QColor sign = frame_.formColor("ButtonGlyphColor", Qt::black);
    painter.setPen(face.darker(140));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);

    painter.setPen(QPen(sign, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QRectF mark = QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5);
    switch (sign_) {
        case Sign::Close:
            painter.drawLine(mark.topLeft(), mark.bottomRight());
            painter.drawLine(mark.topRight(), mark.bottomLeft());
            break;
        case Sign::Minimize:
            painter.drawLine(QPointF(mark.left(), mark.bottom()),
                             QPointF(mark.right(), mark.bottom()));
            break;
        case Sign::RollUp: {
            // Points up while the window is open, down once it is rolled up.
            QPainterPath arrow;
            const bool up = !frame_.rolledUp();
            const qreal tip = up ? mark.top() + 1 : mark.bottom() - 1;
            const qreal base = up ? mark.bottom() - 1 : mark.top() + 1;
            arrow.moveTo(mark.left(), base);
            arrow.lineTo(mark.center().x(), tip);
            arrow.lineTo(mark.right(), base);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(arrow);
            break;
        }
    }
}

// --- caption ---

SkinCaption::SkinCaption(QWidget* parent, TbsBusinessSkinForm& frame)
    : QWidget(parent), frame_(frame) {
    setObjectName("caption");
}

void SkinCaption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto* skin = frame_.skin();
    const bool active = frame_.form()->isActiveWindow();
    const QColor top = frame_.formColor(active ? "CaptionColor" : "CaptionInactiveColor",
                                        active ? kCaption : kInactiveCaption);
    // A skin that gives one caption colour gets a flat caption.
    const QColor bottom = frame_.formColor(active ? "CaptionColor2" : "CaptionInactiveColor2",
                                           skin ? top : (active ? kCaption2 : kInactiveCaption2));
    const QColor ink = frame_.formColor(active ? "CaptionTextColor" : "CaptionInactiveTextColor",
                                        active ? QColor(Qt::white) : QColor(0xd4, 0xd0, 0xc8));
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.fillRect(rect(), gradient);

    int textLeft = 4;
    const QIcon icon = frame_.form()->windowIcon();
    if (frame_.options().showIcon && !icon.isNull()) {
        const int side = std::min(16, height() - 2);
        icon.paint(&painter, QRect(3, (height() - side) / 2, side, side));
        textLeft = side + 7;
    }
    const QFont fallback = vclFont("Arial", 14, true);
    painter.setFont(skin ? skin->font("form", fallback, "CaptionFont") : fallback);
    painter.setPen(ink);
    int textRight = width() - 4;
    for (const auto* button : findChildren<SkinFrameButton*>()) {
        textRight = std::min(textRight, button->x() - 4);
    }
    const QRect textRect(textLeft, 0, std::max(0, textRight - textLeft), height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(frame_.form()->windowTitle(), Qt::ElideRight,
                                                      textRect.width()));
}

void SkinCaption::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        frame_.showSystemMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (frame_.options().showIcon && event->position().x() < height()) {
        frame_.showSystemMenu(mapToGlobal(QPoint(0, height())));
        return;
    }
    // Let the window manager move the window where it can; otherwise follow the pointer.
    if (auto* window = frame_.form()->windowHandle(); window && window->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frame_.form()->pos();
}

void SkinCaption::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        frame_.form()->move(event->globalPosition().toPoint() - dragOffset_);
    }
}

void SkinCaption::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void SkinCaption::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && frame_.options().rollUpButton) {
        frame_.setRolledUp(!frame_.rolledUp());
    }
}

// --- the frame ---

TbsBusinessSkinForm::TbsBusinessSkinForm(QWidget* form, QWidget* client, Options options)
    : QObject(form), form_(form), client_(client), options_(options) {
    setObjectName("bsBusinessSkinForm1");
    form_->setWindowFlags(form_->windowFlags() | Qt::FramelessWindowHint | Qt::Window);
    form_->setAttribute(Qt::WA_Hover);
    form_->setMouseTracking(true);
    client_->setParent(form_);
    caption_ = new SkinCaption(form_, *this);

    restoreAction_ = systemMenu_.addAction("Restore", form_, [this] {
        if (rolledUp_) {
            setRolledUp(false);
        }
        form_->showNormal();
    });
    if (options_.minimizeButton) {
        minimizeButton_ = new SkinFrameButton(caption_, *this, SkinFrameButton::Sign::Minimize);
        minimizeButton_->setObjectName("minimizeButton");
        connect(minimizeButton_, &QAbstractButton::clicked, form_, &QWidget::showMinimized);
        minimizeAction_ = systemMenu_.addAction("Minimize", form_, &QWidget::showMinimized);
    }
    if (options_.rollUpButton) {
        rollUpButton_ = new SkinFrameButton(caption_, *this, SkinFrameButton::Sign::RollUp);
        rollUpButton_->setObjectName("rollUpButton");
        connect(rollUpButton_, &QAbstractButton::clicked, this,
                [this] { setRolledUp(!rolledUp_); });
        rollUpAction_ = systemMenu_.addAction("Roll up", this, [this] { setRolledUp(!rolledUp_); });
    }
    systemMenu_.addSeparator();
    systemMenu_.addAction("Close\tAlt+F4", form_, &QWidget::close);
    closeButton_ = new SkinFrameButton(caption_, *this, SkinFrameButton::Sign::Close);
    closeButton_->setObjectName("closeButton");
    connect(closeButton_, &QAbstractButton::clicked, form_, &QWidget::close);
    connect(&systemMenu_, &QMenu::aboutToShow, this, &TbsBusinessSkinForm::updateSystemMenu);

    form_->installEventFilter(this);
    layOut();
}

void TbsBusinessSkinForm::bindSkinData(TbsSkinData* skinData) {
    const QSize client = clientSize();
    skinData_ = skinData;
    // The skin decides the caption's height and the border's width: keep the client area.
    setClientSize(client);
    form_->update();
    caption_->update();
}

QColor TbsBusinessSkinForm::formColor(const char* key, const QColor& fallback) const {
    return skinData_ ? skinData_->color("form", key, fallback) : fallback;
}

int TbsBusinessSkinForm::captionHeight() const {
    return skinData_ ? std::max(kFrameButtonSize + 2,
                                skinData_->number("form", "CaptionHeight", kDefaultCaptionHeight))
                     : kDefaultCaptionHeight;
}

int TbsBusinessSkinForm::borderWidth() const {
    return skinData_ ? std::max(1, skinData_->number("form", "BorderWidth", kDefaultBorderWidth))
                     : kDefaultBorderWidth;
}

QRect TbsBusinessSkinForm::captionRect() const {
    const int border = borderWidth();
    return QRect(border, border, std::max(0, form_->width() - 2 * border), captionHeight());
}

void TbsBusinessSkinForm::setClientSize(QSize size) {
    const int border = borderWidth();
    const QSize total(size.width() + 2 * border, size.height() + captionHeight() + 2 * border);
    if (form_->minimumSize() == form_->maximumSize()) {
        form_->setFixedSize(total);  // a window the user cannot resize still follows its skin
    } else {
        form_->resize(total);
    }
    layOut();
}

QSize TbsBusinessSkinForm::clientSize() const {
    return client_->size();
}

void TbsBusinessSkinForm::setRolledUp(bool rolledUp) {
    if (rolledUp == rolledUp_) {
        return;
    }
    rolledUp_ = rolledUp;
    const int border = borderWidth();
    if (rolledUp_) {
        heightBeforeRollUp_ = form_->height();
        client_->hide();
        form_->setFixedHeight(captionHeight() + 2 * border);
    } else {
        form_->setMinimumHeight(0);
        form_->setMaximumHeight(QWIDGETSIZE_MAX);
        form_->resize(form_->width(), heightBeforeRollUp_);
        client_->show();
    }
    layOut();
    if (rollUpButton_) {
        rollUpButton_->update();
    }
}

void TbsBusinessSkinForm::showSystemMenu(QPoint globalPosition) {
    systemMenu_.popup(globalPosition);
}

void TbsBusinessSkinForm::updateSystemMenu() {
    restoreAction_->setEnabled(form_->isMinimized() || rolledUp_);
    if (minimizeAction_) {
        minimizeAction_->setEnabled(!form_->isMinimized());
    }
    if (rollUpAction_) {
        rollUpAction_->setText(rolledUp_ ? "Roll down" : "Roll up");
    }
}

void TbsBusinessSkinForm::layOut() {
    const QRect caption = captionRect();
    caption_->setGeometry(caption);
    const int border = borderWidth();
    // The client area follows the window's size; the controls in it keep their coordinates.
    client_->setGeometry(border, caption.bottom() + 1, std::max(0, form_->width() - 2 * border),
                         std::max(0, form_->height() - caption.height() - 2 * border));
    int right = caption.width() - 2;
    const int top = (caption.height() - kFrameButtonSize) / 2;
    for (auto* button : {closeButton_, minimizeButton_, rollUpButton_}) {
        if (button) {
            right -= kFrameButtonSize;
            button->move(right, top);
            right -= 2;
        }
    }
}

void TbsBusinessSkinForm::paintBorder() {
    QPainter painter(form_);
    const bool active = form_->isActiveWindow();
    const QColor frame = formColor(active ? "FrameColor" : "FrameInactiveColor", kFrame);
    const QColor client = formColor("ClientColor", form_->palette().color(QPalette::Window));
    painter.fillRect(form_->rect(), client);
    const int border = borderWidth();
    const QRect all = form_->rect();
    painter.fillRect(QRect(0, 0, all.width(), border), frame);
    painter.fillRect(QRect(0, all.height() - border, all.width(), border), frame);
    painter.fillRect(QRect(0, 0, border, all.height()), frame);
    painter.fillRect(QRect(all.width() - border, 0, border, all.height()), frame);
    painter.setPen(frame.darker(150));
    painter.drawRect(all.adjusted(0, 0, -1, -1));
}

Qt::Edges TbsBusinessSkinForm::edgesAt(QPoint position) const {
    Qt::Edges edges;
    if (!options_.resizable || rolledUp_ || form_->isMaximized()) {
        return edges;
    }
    const int grip = std::max(4, borderWidth());
    if (position.x() < grip)
        edges |= Qt::LeftEdge;
    if (position.x() >= form_->width() - grip)
        edges |= Qt::RightEdge;
    if (position.y() < grip)
        edges |= Qt::TopEdge;
    if (position.y() >= form_->height() - grip)
        edges |= Qt::BottomEdge;
    return edges;
}

bool TbsBusinessSkinForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Resize:
            layOut();
            break;
        case QEvent::Paint:
            paintBorder();
            return true;
        case QEvent::ActivationChange:
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
            caption_->update();
            form_->update();
            break;
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (resizing_) {
                const QPoint delta = mouse->globalPosition().toPoint() - resizeStart_;
                QRect target = geometryAtResizeStart_;
                if (resizing_ & Qt::LeftEdge)
                    target.setLeft(target.left() + delta.x());
                if (resizing_ & Qt::RightEdge)
                    target.setRight(target.right() + delta.x());
                if (resizing_ & Qt::TopEdge)
                    target.setTop(target.top() + delta.y());
                if (resizing_ & Qt::BottomEdge)
                    target.setBottom(target.bottom() + delta.y());
                const int border = borderWidth();
                const QSize least(2 * border + 3 * kFrameButtonSize + 40,
                                  2 * border + captionHeight());
                if (target.width() >= least.width() && target.height() >= least.height()) {
                    form_->setGeometry(target);
                }
                return true;
            }
            const Qt::Edges edges = edgesAt(mouse->position().toPoint());
            if (edges == (Qt::LeftEdge | Qt::TopEdge) ||
                edges == (Qt::RightEdge | Qt::BottomEdge)) {
                form_->setCursor(Qt::SizeFDiagCursor);
            } else if (edges == (Qt::RightEdge | Qt::TopEdge) ||
                       edges == (Qt::LeftEdge | Qt::BottomEdge)) {
                form_->setCursor(Qt::SizeBDiagCursor);
            } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
                form_->setCursor(Qt::SizeHorCursor);
            } else if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
                form_->setCursor(Qt::SizeVerCursor);
            } else {
                form_->unsetCursor();
            }
            break;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const Qt::Edges edges = edgesAt(mouse->position().toPoint());
            if (mouse->button() != Qt::LeftButton || !edges) {
                break;
            }
            if (auto* window = form_->windowHandle(); window && window->startSystemResize(edges)) {
                return true;
            }
            resizing_ = edges;
            resizeStart_ = mouse->globalPosition().toPoint();
            geometryAtResizeStart_ = form_->geometry();
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (resizing_) {
                resizing_ = {};
                return true;
            }
            break;
        default:
            break;
    }
    return false;
}

}  // namespace veltrane::app
