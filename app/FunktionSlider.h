#pragma once
// The panel that slides out of the main window: actions on the current GPS position that
// open web pages in the desktop's browser (show it on a map, search near it, directions
// from it) and the maker's tips page.

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace Orvanta {

class Conductor;

class FunktionSlider final : public QWidget {
    Q_OBJECT

public:
    FunktionSlider(Conductor& conductor, QWidget* parent);

public slots:
    // The three position actions and both text fields; the tips button is always enabled.
    void enableButtons(bool on);

private slots:
    void btnYellowPagesClicked();
    void btnWhereClicked();
    void btnLensClicked();
    void btnTipsClicked();

private:
    Conductor& conductor_;
    QPushButton* btnWhere_;
    QPushButton* btnYellowPages_;
    QPushButton* btnLens_;
    QLineEdit* searchText_;
    QLineEdit* addressText_;
};

} // namespace Orvanta
