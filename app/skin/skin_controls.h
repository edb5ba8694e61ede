#pragma once
// The skinned controls the windows are built from. Each names its element of the skin
// (`SkinDataName`) and, optionally, the skin data it draws from; without bound skin data it
// draws a plain look of its own, so a window is usable even if the skin failed to load.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "app/skin/skin_data.h"

namespace veltrane::app {

// Mixed into every control that can take a skin.
class SkinnedControl : public SkinClient {
  public:
    QString SkinDataName;  // the element of the skin this control draws as
    QString SkinDataRef;   // the skin data it names; empty: none

    QString skinDataReference() const override { return SkinDataRef; }
    void bindSkinData(TbsSkinData* skinData) override;

  protected:
    TbsSkinData* skin() const { return skinData_; }
    const char* section() const { return sectionName_.constData(); }
    // This control's part of the bound skin; `fallback` without one or where it says nothing.
    QColor skinColor(const char* key, const QColor& fallback) const;
    QFont skinFont(const QFont& fallback) const;
    virtual void skinChanged() = 0;

  private:
    QPointer<TbsSkinData> skinData_;
    QByteArray sectionName_;
};

// A tool button with one glyph and a sticky "down" look: a button that is down draws pressed
// until it is clicked, and every click (the first included) runs its command on release.
class TbsSkinSpeedButton : public QAbstractButton, public SkinnedControl {
    Q_OBJECT
  public:
    explicit TbsSkinSpeedButton(QWidget* parent);

    // A bitmap whose bottom-left pixel's colour is drawn transparent.
    void setGlyph(const QPixmap& bitmap);
    void setDown(bool down);
    bool Down() const { return down_; }
    bool ShowCaption = false;
    QFont DefaultFont;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void skinChanged() override { update(); }

  private:
    QPixmap glyph_;
    bool down_ = false;
};

class TbsSkinEdit : public QLineEdit, public SkinnedControl {
    Q_OBJECT
  public:
    explicit TbsSkinEdit(QWidget* parent);
    QFont DefaultFont;

  protected:
    void skinChanged() override;
};

class TbsSkinCheckRadioBox : public QCheckBox, public SkinnedControl {
    Q_OBJECT
  public:
    explicit TbsSkinCheckRadioBox(QWidget* parent);
    QFont DefaultFont;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void skinChanged() override;
};

// A horizontal bar from MinValue to MaxValue showing its value followed by "%".
class TbsSkinGauge : public QWidget, public SkinnedControl {
    Q_OBJECT
  public:
    explicit TbsSkinGauge(QWidget* parent);

    // Values outside the range are clamped to it.
    void setValue(int value);
    int Value() const { return value_; }
    QString text() const;
    int MinValue = 0;
    int MaxValue = 100;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void skinChanged() override { update(); }

  private:
    int value_ = 0;
};

// A label that sizes itself to its caption. It takes the skin's font and colour only when it
// names skin data and its UseSkinFont/UseSkinColor flags are on; otherwise it keeps its own.
class TbsSkinStdLabel : public QLabel, public SkinnedControl {
    Q_OBJECT
  public:
    TbsSkinStdLabel(QWidget* parent, const QFont& font, const QColor& color);
    void setCaption(const QString& caption);
    bool UseSkinFont = true;
    bool UseSkinColor = true;

  protected:
    void skinChanged() override;

  private:
    QFont ownFont_;
    QColor ownColor_;
};

}  // namespace veltrane::app
