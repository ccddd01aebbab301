#include "tests/app/support/Fixtures.h"

#include "app/Resources.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTest>

namespace Orvanta::testing {

SettingsFolder::SettingsFolder() { QVERIFY2(dir_.isValid(), "no temporary folder"); }

QString SettingsFolder::settingsPath() const { return dir_.filePath(QStringLiteral("orvanta.conf")); }

std::unique_ptr<QSettings> SettingsFolder::open() const
{
    return std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat);
}

QVariant SettingsFolder::stored(const QString& key) const { return open()->value(key); }

TrayProbe alwaysATray() { return TrayProbe{[] { return true; }}; }

ConductorFixture::ConductorFixture(TrayProbe tray)
    : conductor(library, settings.open(), std::move(tray))
{
    // Widgets are measured and drawn as the tool shows them.
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()); app != nullptr)
        app->setStyleSheet(resources::readStyleSheet());
}

UrlRecorder::UrlRecorder()
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
}

UrlRecorder::~UrlRecorder()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

void UrlRecorder::open(const QUrl& url) { opened.append(url); }

QLabel* labelAt(QWidget& widget, QPoint position) { return qobject_cast<QLabel*>(widget.childAt(position)); }

} // namespace Orvanta::testing
