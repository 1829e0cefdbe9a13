#pragma once

#include <QObject>
#include <array>
#include <cstdint>

class FormLayout;
class QAction;
class QMenu;
class SettingsController;
struct Settings;

// View → "Text size": the controls, readouts, captions and axis labels, and
// the window's smallest size with them, at 100, 125, 150 or 200 % of the
// design. It starts at the settings file's [DISPLAY] TextSize and each choice
// is written back there. 100 % is the design exactly.
class TextSizeControl : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<std::int32_t, 4> Sizes = {100, 125, 150, 200};

    // Where the choice goes and what it scales and is written to.
    struct Parts {
        QMenu& viewMenu;                   // "Text size" goes at its end
        FormLayout& layout;                // scales the window; what it holds now is the design
        Settings& settings;                // TextSize
        SettingsController& settingsFile;  // each choice is written there
    };
    TextSizeControl(const Parts& parts, QObject* parent);

    std::int32_t percent() const { return percent_; }
    QMenu* menu() const { return menu_; }

    // The size on screen now; written to the settings file as well.
    void choose(std::int32_t percent);

private:
    void apply(std::int32_t percent);

    Parts w_;
    QMenu* menu_ = nullptr;
    std::array<QAction*, Sizes.size()> items_{};
    std::int32_t percent_ = 100;
};
