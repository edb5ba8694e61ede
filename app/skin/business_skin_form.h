#pragma once
// The skinned window frame: makes a window frameless and draws its border and caption from the
// skin's "form" element, with the frame buttons the window asks for and a system menu. The
// window moves by its caption and, when resizable, resizes by its border; the client widget
// keeps the window's controls at their own coordinates below the caption.

#include <QAbstractButton>
#include <QIcon>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "app/skin/skin_data.h"

namespace veltrane::app {

class TbsBusinessSkinForm;

// One of the caption's buttons; draws its sign with the skin's colours.
class SkinFrameButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum class Sign { Close, Minimize, RollUp };
    SkinFrameButton(QWidget* parent, TbsBusinessSkinForm& frame, Sign sign);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TbsBusinessSkinForm& frame_;
    Sign sign_;
};

class SkinCaption : public QWidget {
    Q_OBJECT
  public:
    SkinCaption(QWidget* parent, TbsBusinessSkinForm& frame);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    TbsBusinessSkinForm& frame_;
    bool dragging_ = false;
    QPoint dragOffset_;  // pointer position relative to the window's corner at the press
};

class TbsBusinessSkinForm : public QObject, public SkinClient {
    Q_OBJECT
  public:
    struct Options {
        bool minimizeButton = false;
        bool rollUpButton = false;
        bool showIcon = false;
        bool resizable = false;
    };

    // `client` becomes a child of `form` placed under the caption.
    TbsBusinessSkinForm(QWidget* form, QWidget* client, Options options);

    QString skinDataReference() const override { return kSkinDataReference; }
    void bindSkinData(TbsSkinData* skinData) override;

    // Resizes the window so that its client area has the given size.
    void setClientSize(QSize size);
    QSize clientSize() const;
    QRect captionRect() const;

    bool rolledUp() const { return rolledUp_; }
    void setRolledUp(bool rolledUp);

    QMenu* systemMenu() { return &systemMenu_; }
    void showSystemMenu(QPoint globalPosition);

    // What the caption and its buttons draw from.
    int captionHeight() const;
    int borderWidth() const;
    const TbsSkinData* skin() const { return skinData_; }
    // The skin's "form" element; `fallback` without a skin or where it says nothing.
    QColor formColor(const char* key, const QColor& fallback) const;
    QWidget* form() const { return form_; }
    const Options& options() const { return options_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void layOut();
    void paintBorder();
    Qt::Edges edgesAt(QPoint position) const;
    void updateSystemMenu();

    QWidget* form_;
    QWidget* client_;
    Options options_;
    QPointer<TbsSkinData> skinData_;
    SkinCaption* caption_;
    SkinFrameButton* closeButton_;
    SkinFrameButton* minimizeButton_ = nullptr;
    SkinFrameButton* rollUpButton_ = nullptr;
    QMenu systemMenu_;
    QAction* restoreAction_;
    QAction* minimizeAction_ = nullptr;
    QAction* rollUpAction_ = nullptr;
    bool rolledUp_ = false;
    int heightBeforeRollUp_ = 0;
    // A resize by the border in progress, when the system cannot do it for us.
    Qt::Edges resizing_;
    QPoint resizeStart_;
    QRect geometryAtResizeStart_;
};

}  // namespace veltrane::app
