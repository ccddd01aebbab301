#pragma once
// What the shell's tests build for themselves: a Conductor on a fake library with a
// settings file of its own, a browser stand-in, and a way to read what a widget shows.

#include "app/Conductor.h"
#include "tests/app/support/FakeLibrary.h"

#include <QList>
#include <QObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

class QLabel;
class QWidget;

namespace Orvanta::testing {

// A temporary folder with the settings file a Conductor uses.
class SettingsFolder {
public:
    SettingsFolder();
    QString settingsPath() const;
    std::unique_ptr<QSettings> open() const;
    // What another start of the tool would read.
    QVariant stored(const QString& key) const;

private:
    QTemporaryDir dir_;
};

// A tray that is always there: the offscreen platform has none, and most suites test the
// tool as it lives in one.
TrayProbe alwaysATray();

struct ConductorFixture {
    explicit ConductorFixture(TrayProbe tray = alwaysATray());
    SettingsFolder settings;
    FakeLibrary library;
    Conductor conductor;
};

// Takes the URLs the shell hands to the desktop, in place of a browser.
class UrlRecorder final : public QObject {
    Q_OBJECT

public:
    UrlRecorder();
    ~UrlRecorder() override;
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url);
};

// The label a user sees at `position` inside `widget` (backgrounds lie below the others).
QLabel* labelAt(QWidget& widget, QPoint position);

} // namespace Orvanta::testing
