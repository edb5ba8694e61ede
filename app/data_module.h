#pragma once
// The skin data module: holds the program's skins and makes item 0 of its list the current
// skin, which every window and control that names "DataModule2.bsSkinData1" then draws from.

#include <QObject>
#include <QString>
#include <QWidget>
#include <vector>

#include "app/skin/skin_data.h"
#include "app/skin_list.h"

namespace veltrane::app {

// The skins carried inside the program.
class TbsCompressedSkinList : public QObject {
    Q_OBJECT
  public:
    explicit TbsCompressedSkinList(QObject* parent);
    std::vector<SkinListItem> Skins;
};

// A skinned message box's settings. No command of the program opens a message.
class TbsSkinMessage : public QObject {
    Q_OBJECT
  public:
    explicit TbsSkinMessage(QObject* parent);
    QString ButtonSkinDataName = "button";
    QString MessageLabelSkinDataName = "stdlabel";
    bool UseSkinFont = true;
    bool ShowAgainFlag = false;
    bool ShowAgainFlagValue = false;
    bool AlphaBlend = false;
    bool AlphaBlendAnimation = false;
    int AlphaBlendValue = 200;
};

class TDataModule2 : public QObject {
    Q_OBJECT
  public:
    // Unpacks the skin list from `skinListResource` and binds every window that exists.
    explicit TDataModule2(const QString& skinListResource = ":/skins/skins.vsl");
    ~TDataModule2() override;

    TbsSkinData* bsSkinData1;
    TbsCompressedSkinList* bsCompressedSkinList1;
    TbsSkinMessage* bsSkinMessage1;

    // Binds `root` and everything in it that names this module's skin data.
    void bindSkinClients(QObject* root);
    // Why the skin could not be loaded; empty when it was.
    const QString& skinError() const { return skinError_; }

  private:
    void loadSkin(const QString& skinListResource);
    QString skinError_;
};

extern TDataModule2* DataModule2;

}  // namespace veltrane::app
