#pragma once
// A small frameless notice with hints on GPS reception, shown at start until the user ticks
// "Do not show this message again". Accept hides it for the rest of the run.

#include <QWidget>

namespace Orvanta {

class Conductor;

class ReminderWidget final : public QWidget {
    Q_OBJECT

public:
    // Shows itself.
    explicit ReminderWidget(Conductor& conductor);

private slots:
    void btnOkClicked();
    // Stored at once, so that it holds even if the tool ends before Accept is pressed.
    void chbDoNotShowToggled(bool checked);

private:
    Conductor& conductor_;
};

} // namespace Orvanta
