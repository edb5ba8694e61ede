#include "app/skin/skin_data.h"

#include "app/skin/vcl_font.h"

namespace veltrane::app {

TbsSkinData::TbsSkinData(QObject* parent) : QObject(parent) {}

void TbsSkinData::setDescription(std::string description) {
    loaded_ = !description.empty();
    description_ = platform::ProfileDocument::parse(description);
    emit skinChanged();
}

std::optional<std::string> TbsSkinData::value(const char* section, const char* key) const {
    if (!loaded_) {
        return std::nullopt;
    }
    return description_.value(section, key);
}

QColor TbsSkinData::color(const char* section, const char* key, QColor fallback) const {
    const auto text = value(section, key);
    if (!text) {
        return fallback;
    }
    const QColor parsed = QColor::fromString(QString::fromStdString(*text));
    return parsed.isValid() ? parsed : fallback;
}

int TbsSkinData::number(const char* section, const char* key, int fallback) const {
    const auto text = value(section, key);
    if (!text) {
        return fallback;
    }
    return platform::parseProfileInt(*text).value_or(fallback);
}

QFont TbsSkinData::font(const char* section, const QFont& fallback, const char* prefix) const {
    const std::string nameKey = std::string(prefix) + "Name";
    const std::string heightKey = std::string(prefix) + "Height";
    const std::string boldKey = std::string(prefix) + "Bold";
    const auto name = value(section, nameKey.c_str());
    const auto height = value(section, heightKey.c_str());
    if (!name || !height) {
        return fallback;
    }
    const auto pixels = platform::parseProfileInt(*height);
    if (!pixels || *pixels == 0) {
        return fallback;
    }
    return vclFont(QString::fromStdString(*name), *pixels,
                   number(section, boldKey.c_str(), 0) != 0);
}

}  // namespace veltrane::app
