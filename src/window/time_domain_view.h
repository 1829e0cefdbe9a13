#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

#include "files/sweep_export.h"
#include "timedomain/time_domain.h"
#include "timedomain/time_domain_paint.h"
#include "window/view_window.h"
#include "window/window_calls.h"

class QAction;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;
class QWidget;
class SettingsController;
class TimeDomainGraph;
struct Settings;

// View → "Time domain": a window of its own beside the frequency graph, which
// stays as it is. It shows the sweep on the graph as impulse, step or
// impedance against distance, with a marker, the peak list, the resolution
// and the alias-free range; in Transmission mode the through path's delay and
// electrical length. It is worked out again after every tick while it is
// shown, and not at all while it is hidden.
class TimeDomainView : public QObject {
    Q_OBJECT
public:
    struct Parts {
        ViewWindowParts view;
        const Settings& settings;          // InputVelFactor, DistanceUnit
        SettingsController& settingsFile;  // the unit chosen is written there
    };
    TimeDomainView(const Parts& parts, QObject* parent);

    QAction* action() const { return mnuTimeDomain_; }
    QWidget* view() const { return view_; }
    TimeDomainGraph* graph() const { return graph_; }
    // The last transform, when it gave one.
    const std::optional<TimeDomainResponse>& response() const { return response_; }
    TimeDomainOptions options() const;

public slots:
    // The sweep again, if the view is shown.
    void refresh();
    void show();
    void savePicture();

private:
    void build();
    void chooseCable(int index);
    void showResponse();
    void chooseUnit(int index);
    TimeDomainScene scene() const;

    Parts w_;
    QAction* mnuTimeDomain_ = nullptr;
    QPointer<QWidget> view_;
    TimeDomainGraph* graph_ = nullptr;
    QComboBox* trace_ = nullptr;
    QComboBox* cable_ = nullptr;
    QDoubleSpinBox* velocity_ = nullptr;
    QComboBox* timeWindow_ = nullptr;
    QDoubleSpinBox* span_ = nullptr;
    QComboBox* unit_ = nullptr;
    QPushButton* save_ = nullptr;
    QTableWidget* peaks_ = nullptr;
    QLabel* marker_ = nullptr;
    QLabel* info_ = nullptr;

    TimeDomainTransform transform_;
    std::optional<TimeDomainResponse> response_;
    QString message_;    // why there is no response
    QString delayText_;  // Transmission mode: the through path
    std::size_t markerBin_ = 0;
};
