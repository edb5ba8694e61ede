#pragma once
// The current skin: the unpacked description of every skinned element, looked up by the
// element's skin name ("toolbutton", "edit", "gauge", ...). Controls and window frames that
// name a skin data are bound to it once it exists and redraw from it.

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "platform/profile_file.h"

namespace veltrane::app {

class TbsSkinData : public QObject {
    Q_OBJECT
  public:
    explicit TbsSkinData(QObject* parent = nullptr);

    // Settings as the module stores them.
    bool SkinnableForm = true;
    bool EnableSkinEffects = true;
    int SkinIndex = 0;

    // Makes `description` the current skin; an empty one means no skin is loaded.
    void setDescription(std::string description);
    bool skinLoaded() const { return loaded_; }

    // Values of one element's part of the skin; `fallback` when the skin lacks them.
    QColor color(const char* section, const char* key, QColor fallback) const;
    int number(const char* section, const char* key, int fallback) const;
    // The element's font from its FontName/FontHeight (or Caption* in "form"), else `fallback`.
    QFont font(const char* section, const QFont& fallback, const char* prefix = "Font") const;

  signals:
    void skinChanged();

  private:
    std::optional<std::string> value(const char* section, const char* key) const;

    platform::ProfileDocument description_;
    bool loaded_ = false;
};

// Anything that names a skin data and takes its look from it.
class SkinClient {
  public:
    virtual ~SkinClient() = default;
    // "DataModule2.bsSkinData1" for every skinned part of this program; empty when none.
    virtual QString skinDataReference() const = 0;
    // Called once the named skin data exists; draws from it from then on.
    virtual void bindSkinData(TbsSkinData* skinData) = 0;
};

inline constexpr const char* kSkinDataReference = "DataModule2.bsSkinData1";

}  // namespace veltrane::app
