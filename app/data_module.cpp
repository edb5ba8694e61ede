#include "app/data_module.h"

#include <QApplication>
#include <QFile>
#include <QtGlobal>
#include <span>
#include <string>

namespace veltrane::app {

TDataModule2* DataModule2 = nullptr;

TbsCompressedSkinList::TbsCompressedSkinList(QObject* parent) : QObject(parent) {
    setObjectName("bsCompressedSkinList1");
}

TbsSkinMessage::TbsSkinMessage(QObject* parent) : QObject(parent) {
    setObjectName("bsSkinMessage1");
}

TDataModule2::TDataModule2(const QString& skinListResource) {
    setObjectName("DataModule2");
    bsSkinData1 = new TbsSkinData(this);
    bsSkinData1->setObjectName("bsSkinData1");
    bsCompressedSkinList1 = new TbsCompressedSkinList(this);
    bsSkinMessage1 = new TbsSkinMessage(this);
    loadSkin(skinListResource);
    if (!DataModule2) {
        DataModule2 = this;
    }
    // Windows built before the module name its skin data already: bind them now, before
    // they are first shown.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        bindSkinClients(window);
    }
}

TDataModule2::~TDataModule2() {
    if (DataModule2 == this) {
        DataModule2 = nullptr;
    }
}

void TDataModule2::loadSkin(const QString& skinListResource) {
    QFile file(skinListResource);
    if (!file.open(QIODevice::ReadOnly)) {
        skinError_ = "cannot open the skin list " + skinListResource;
    } else {
        const QByteArray bytes = file.readAll();
        const std::span<const std::byte> data(reinterpret_cast<const std::byte*>(bytes.constData()),
                                              static_cast<std::size_t>(bytes.size()));
        std::string error;
        std::string description;
        auto& skins = bsCompressedSkinList1->Skins;
        if (!parseSkinList(data, skins, error)) {
            skinError_ = QString::fromStdString("damaged skin list: " + error);
        } else if (!unpackSkinItem(skins, static_cast<std::size_t>(bsSkinData1->SkinIndex),
                                   description, error)) {
            skinError_ = QString::fromStdString("no usable skin: " + error);
        } else {
            bsSkinData1->setDescription(std::move(description));
        }
    }
    if (!skinError_.isEmpty()) {
        // The windows still work, in their plain look.
        qWarning("veltrane: %s", qPrintable(skinError_));
    }
}

void TDataModule2::bindSkinClients(QObject* root) {
    auto bind = [this](QObject* object) {
        if (auto* client = dynamic_cast<SkinClient*>(object);
            client && client->skinDataReference() == kSkinDataReference) {
            client->bindSkinData(bsSkinData1);
        }
    };
    bind(root);
    for (QObject* child : root->findChildren<QObject*>()) {
        bind(child);
    }
}

}  // namespace veltrane::app
