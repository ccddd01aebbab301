#pragma once
// Painters for the tool's pictures. Each returns a finished image of the size its file name
// promises; DrawImages.cpp decides the file names.

#include <QImage>

namespace draw {

enum class Look { normal, pressed, disabled, hover, on };

QImage controlPanelBackground();     // 184 x 192
QImage functionSliderBackground();   // 178 x 182
QImage reminderBackground();         // 400 x 281

QImage gpsButton(Look look);         // 70 x 70: normal (off), on, disabled

enum class Glyph { where, search, directions, tips };
QImage actionButton(Glyph glyph, Look look); // 40 x 40: normal, pressed, disabled

QImage okButton(Look look);          // 55 x 23: normal, hover, pressed
QImage sliderArrow(bool pointsLeft); // 9 x 14
QImage windowClose(bool pressed);    // 15 x 15
QImage windowMinimize(bool pressed); // 15 x 15
QImage checkBox(bool checked);       // 12 x 11
QImage macButton(bool hover);        // 12 x 12

enum class TrayState { active, inactive, unavailable };
QImage trayPicture(TrayState state, int size);

// The program's icon in menus and launchers: the tray picture with the receiver on, so
// that the launcher and the tray show the same thing. orvanta.svg in app/desktop/ is its
// scalable twin.
QImage applicationIcon(int size);

} // namespace draw
