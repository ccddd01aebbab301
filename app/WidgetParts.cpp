#include "app/WidgetParts.h"

#include <QLabel>

namespace Orvanta {

QLabel* addBackground(QWidget* owner, const char* objectName)
{
    auto* background = new QLabel(owner);
    background->setObjectName(QLatin1String(objectName));
    background->setFixedSize(owner->size());
    background->move(0, 0);
    background->lower();
    return background;
}

void makeFramelessAndSeeThrough(QWidget* window)
{
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
    window->setAttribute(Qt::WA_NoSystemBackground);
    window->setAttribute(Qt::WA_TranslucentBackground);
}

} // namespace Orvanta
