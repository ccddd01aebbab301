#pragma once
// Pieces several of the shell's widgets are built from.

class QLabel;
class QWidget;

namespace Orvanta {

// The style sheet draws `owner`'s picture as the background of a label named `objectName`
// that covers it and lies below every other child.
QLabel* addBackground(QWidget* owner, const char* objectName);

// A frameless window drawn only where its pictures are.
void makeFramelessAndSeeThrough(QWidget* window);

} // namespace Orvanta
