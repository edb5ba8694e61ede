#include "app/skin/skin_controls.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <algorithm>

#include "app/skin/vcl_font.h"

namespace veltrane::app {

namespace {

// The plain look used where the skin says nothing: the classic grey of Windows controls.
const QColor kButtonFace(0xd4, 0xd0, 0xc8);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kWindow(Qt::white);
const QColor kWindowText(Qt::black);
const QColor kHighlight(0x31, 0x6a, 0xc5);

QString colorText(const QColor& color) {
    return color.name(QColor::HexRgb);
}

}  // namespace

QColor SkinnedControl::skinColor(const char* key, const QColor& fallback) const {
    return skinData_ ? skinData_->color(section(), key, fallback) : fallback;
}

QFont SkinnedControl::skinFont(const QFont& fallback) const {
    return skinData_ ? skinData_->font(section(), fallback) : fallback;
}

void SkinnedControl::bindSkinData(TbsSkinData* skinData) {
    skinData_ = skinData;
    sectionName_ = SkinDataName.toLatin1();
    skinChanged();
}

// --- tool button ---

TbsSkinSpeedButton::TbsSkinSpeedButton(QWidget* parent) : QAbstractButton(parent) {
    SkinDataName = "toolbutton";
    SkinDataRef = kSkinDataReference;
    DefaultFont = vclFont("Arial", 14);
    setFocusPolicy(Qt::NoFocus);  // speed buttons never take focus
    setAttribute(Qt::WA_Hover);
}

void TbsSkinSpeedButton::setGlyph(const QPixmap& bitmap) {
    glyph_ = bitmap;
    if (!glyph_.isNull()) {
        const QImage image = bitmap.toImage();
        const QRgb transparent = image.pixel(0, image.height() - 1);
        glyph_.setMask(QBitmap::fromImage(image.createMaskFromColor(transparent, Qt::MaskInColor)));
    }
    update();
}

void TbsSkinSpeedButton::setDown(bool down) {
    down_ = down;
    update();
}

void TbsSkinSpeedButton::nextCheckState() {
    // With no group a click only lifts a button that is down; it never puts one down.
    setDown(false);
}

void TbsSkinSpeedButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void TbsSkinSpeedButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

void TbsSkinSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool pressed = isDown() || down_;
    const bool hover = underMouse();
    const char* s = section();

    QColor top = kButtonFace.lighter(110);
    QColor bottom = kButtonFace;
    QColor border = kShadow;
    QColor ink = kWindowText;
    int radius = 2;
    if (const auto* look = skin()) {
        top = look->color(s, "Face", top);
        bottom = look->color(s, "Face2", top);
        border = look->color(s, "Border", border);
        ink = look->color(s, "FontColor", ink);
        radius = look->number(s, "Radius", radius);
        if (pressed) {
            top = bottom = look->color(s, "DownFace", top.darker(115));
        } else if (hover) {
            top = look->color(s, "HoverFace", top.lighter(108));
        }
    } else if (pressed) {
        top = bottom = kButtonFace.darker(110);
    }

    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.setPen(border);
    painter.setBrush(gradient);
    painter.drawRoundedRect(face, radius, radius);

    const int shift = pressed ? 1 : 0;
    QRect content = rect().adjusted(2 + shift, 2 + shift, -2 + shift, -2 + shift);
    if (!glyph_.isNull()) {
        const QPoint at(content.center().x() - glyph_.width() / 2 + 1,
                        content.center().y() - glyph_.height() / 2 + 1);
        painter.drawPixmap(at, glyph_);
    }
    if (ShowCaption && !QAbstractButton::text().isEmpty()) {
        painter.setFont(skinFont(DefaultFont));
        painter.setPen(ink);
        painter.drawText(content, Qt::AlignCenter, QAbstractButton::text());
    }
}

// --- edit ---

TbsSkinEdit::TbsSkinEdit(QWidget* parent) : QLineEdit(parent) {
    SkinDataName = "edit";
    SkinDataRef = kSkinDataReference;
    DefaultFont = vclFont("Arial", 14);
    setFont(DefaultFont);
    setFrame(false);
    skinChanged();
}

void TbsSkinEdit::skinChanged() {
    const QColor border = skinColor("Border", kShadow);
    const QColor background = skinColor("Background", kWindow);
    const QColor focus = skinColor("FocusBorder", border);
    const QColor text = skinColor("FontColor", kWindowText);
    const QColor selection = skinColor("SelectionColor", kHighlight);
    setFont(skinFont(DefaultFont));
    setStyleSheet(QString("QLineEdit { background: %1; color: %2; border: 1px solid %3;"
                          " padding: 0 2px; selection-background-color: %4; }"
                          " QLineEdit:focus { border-color: %5; }")
                      .arg(colorText(background), colorText(text), colorText(border),
                           colorText(selection), colorText(focus)));
}

// --- check box ---

TbsSkinCheckRadioBox::TbsSkinCheckRadioBox(QWidget* parent) : QCheckBox(parent) {
    SkinDataName = "checkbox";
    SkinDataRef = kSkinDataReference;
    DefaultFont = vclFont("Arial", 14);
    setFont(DefaultFont);
    setFocusPolicy(Qt::StrongFocus);
    setTristate(false);
}

void TbsSkinCheckRadioBox::skinChanged() {
    setFont(skinFont(DefaultFont));
    update();
}

void TbsSkinCheckRadioBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = skinColor("FontColor", kWindowText);
    const QColor box = skinColor("BoxBackground", kWindow);
    const QColor boxBorder = skinColor("BoxBorder", kShadow);
    const QColor check = skinColor("CheckColor", kWindowText);

    const int side = 13;
    const QRectF boxRect(1.5, (height() - side) / 2 + 0.5, side - 1, side - 1);
    painter.setPen(boxBorder);
    painter.setBrush(box);
    painter.drawRect(boxRect);
    if (isChecked()) {
        QPainterPath mark;
        mark.moveTo(boxRect.left() + 2.5, boxRect.center().y());
        mark.lineTo(boxRect.left() + 5, boxRect.bottom() - 3);
        mark.lineTo(boxRect.right() - 2.5, boxRect.top() + 2.5);
        painter.setPen(QPen(check, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(mark);
    }
    painter.setPen(ink);
    const QRect textRect = rect().adjusted(side + 3, 0, 0, 0);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(textRect, Qt::AlignLeft | Qt::AlignVCenter, text())
                         .adjusted(-1, 0, 1, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

// --- gauge ---

TbsSkinGauge::TbsSkinGauge(QWidget* parent) : QWidget(parent) {
    SkinDataName = "gauge";
    SkinDataRef = kSkinDataReference;
    setFocusPolicy(Qt::NoFocus);
}

void TbsSkinGauge::setValue(int value) {
    const int clamped = std::clamp(value, MinValue, MaxValue);
    if (clamped != value_) {
        value_ = clamped;
        update();
    }
}

QString TbsSkinGauge::text() const {
    return QString::number(value_) + "%";
}

void TbsSkinGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background = skinColor("Background", kWindow);
    const QColor border = skinColor("Border", kShadow);
    const QColor bar = skinColor("Bar", kHighlight);
    const QColor bar2 = skinColor("Bar2", bar);
    const QColor ink = skinColor("FontColor", kWindowText);

    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(border);
    painter.setBrush(background);
    painter.drawRect(frame);
    const int span = std::max(1, MaxValue - MinValue);
    const QRect inner = frame.adjusted(1, 1, 0, 0);
    const int filled = inner.width() * (value_ - MinValue) / span;
    if (filled > 0) {
        QLinearGradient gradient(inner.topLeft(), inner.bottomLeft());
        gradient.setColorAt(0, bar);
        gradient.setColorAt(1, bar2);
        painter.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), gradient);
    }
    painter.setFont(skinFont(font()));
    painter.setPen(ink);
    painter.drawText(rect(), Qt::AlignCenter, this->text());
}

// --- label ---

TbsSkinStdLabel::TbsSkinStdLabel(QWidget* parent, const QFont& font, const QColor& color)
    : QLabel(parent), ownFont_(font), ownColor_(color) {
    SkinDataName = "stdlabel";
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    skinChanged();
}

void TbsSkinStdLabel::setCaption(const QString& caption) {
    setText(caption);
    adjustSize();
}

void TbsSkinStdLabel::skinChanged() {
    setFont(UseSkinFont ? skinFont(ownFont_) : ownFont_);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     UseSkinColor ? skinColor("FontColor", ownColor_) : ownColor_);
    setPalette(colours);
    adjustSize();
}

}  // namespace veltrane::app
