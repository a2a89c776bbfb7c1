#pragma once

#include "ui/services.h"

namespace ui {

// The desktop's own boxes, pointer, screen and settings.
//
// Settings live in the user's settings of organisation "Point of Sale", one file per program
// name, with the section as a group.
class QtServices final : public Services {
public:
    QtServices() = default;
    ~QtServices() override;

    Button message(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText = {}) override;
    void setBusy(bool busy) override;
    QSize screenSize() const override;
    qreal screenScale() const override;
    QSize screenPixels() const override;
    QString setting(const QString& app, const QString& section, const QString& key,
                    const QString& defaultValue) const override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    void end() override;

private:
    bool m_busy = false;
};

} // namespace ui
