// Starting with the session: the autostart entry the tray menu writes and removes, what a
// desktop makes of it, and the menu item that follows the file.

#include "app/AutostartEntry.h"
#include "app/QtCvWrapper.h"
#include "app/SystrayIcon.h"
#include "tests/app/support/Fixtures.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <unistd.h>

using namespace Orvanta;
using namespace Orvanta::testing;

namespace {

// Sets (or, with nullopt, unsets) an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<QString> value)
        : name_(name)
        , old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// A configuration home of its own, where the entry goes.
struct ConfigHome {
    ConfigHome() { QVERIFY(dir.isValid()); }
    QString path() const { return dir.path(); }
    QString entry() const { return dir.filePath(QStringLiteral("autostart/orvanta.desktop")); }
    void putEntry() const
    {
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("autostart"))));
        QFile file(entry());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=Orvanta\nExec=orvanta\n");
    }

    QTemporaryDir dir;
    ScopedEnv env{"XDG_CONFIG_HOME", dir.path()};
};

struct Tray {
    Tray() { f.conductor.start(QtCvWrapper::instance()); }
    QSystemTrayIcon& shown() const { return *f.conductor.trayIcon()->findChild<QSystemTrayIcon*>(); }
    QAction& item() const { return *shown().contextMenu()->actions().at(1); }

    ConductorFixture f;
};

// What desktop-file-validate says of `file`; empty when it is clean.
QString validatorComplaints(const QString& file)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return QStringLiteral("desktop-file-validate is not installed (scripts/install-deps)");
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(validator, {file});
    if (!run.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString out = QString::fromLocal8Bit(run.readAll());
    return run.exitCode() != 0 || out.contains(QLatin1String("error:")) || out.contains(QLatin1String("warning:"))
               ? out + QStringLiteral(" (exit %1)").arg(run.exitCode())
               : QString();
}

QByteArray entryLine(const QString& file, const QByteArray& key)
{
    QFile entry(file);
    if (!entry.open(QIODevice::ReadOnly))
        return "<no file>";
    for (const QByteArray& line : entry.readAll().split('\n'))
        if (line.startsWith(key + '='))
            return line;
    return "<no " + key + ">";
}

} // namespace

class AutostartTest : public QObject {
    Q_OBJECT

private slots:
    void entryLivesInTheConfigHome_data();
    void entryLivesInTheConfigHome();
    void execArgumentIsQuotedAsDesktopEntriesWant_data();
    void execArgumentIsQuotedAsDesktopEntriesWant();
    void writtenEntryValidates_data();
    void writtenEntryValidates();
    void aLauncherStartsExactlyTheProgramNamed_data();
    void aLauncherStartsExactlyTheProgramNamed();
    void itemSitsBetweenShowAndQuitAndFollowsTheFile_data();
    void itemSitsBetweenShowAndQuitAndFollowsTheFile();
    void togglingWritesAndRemovesTheEntryOfThisProgram();
    void entryRemovedElsewhereUnchecksTheItem();
    void aFolderThatCannotBeWrittenLeavesTheItemUnchecked_data();
    void aFolderThatCannotBeWrittenLeavesTheItemUnchecked();
    void anEntryThatCannotBeRemovedLeavesTheItemChecked();
};

void AutostartTest::entryLivesInTheConfigHome_data()
{
    QTest::addColumn<QString>("configHome"); // "-" for unset
    QTest::addColumn<QString>("expected");   // below HOME=/home/someone

    QTest::newRow("set") << "/elsewhere/config" << "/elsewhere/config/autostart/orvanta.desktop";
    QTest::newRow("unset") << "-" << "/home/someone/.config/autostart/orvanta.desktop";
    QTest::newRow("empty") << "" << "/home/someone/.config/autostart/orvanta.desktop";
    QTest::newRow("relative, so ignored") << "config" << "/home/someone/.config/autostart/orvanta.desktop";
}

void AutostartTest::entryLivesInTheConfigHome()
{
    QFETCH(QString, configHome);
    QFETCH(QString, expected);
    const ScopedEnv home("HOME", QStringLiteral("/home/someone"));
    const ScopedEnv config("XDG_CONFIG_HOME", configHome == QLatin1String("-") ? std::nullopt : std::optional(configHome));
    QCOMPARE(AutostartEntry::path(), expected);
}

void AutostartTest::execArgumentIsQuotedAsDesktopEntriesWant_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");

    QTest::newRow("plain") << "/usr/bin/orvanta" << "/usr/bin/orvanta";
    QTest::newRow("equals and dots need nothing") << "/opt/a=b/orvanta-1.1" << "/opt/a=b/orvanta-1.1";
    QTest::newRow("space") << "/opt/my tools/orvanta" << "\"/opt/my tools/orvanta\"";
    QTest::newRow("single quote") << "/opt/it's/orvanta" << "\"/opt/it's/orvanta\"";
    QTest::newRow("tilde and hash") << "/opt/~#/orvanta" << "\"/opt/~#/orvanta\"";
    QTest::newRow("double quote") << "/opt/\"x\"/orvanta" << "\"/opt/\\\"x\\\"/orvanta\"";
    QTest::newRow("dollar and backtick") << "/opt/$HOME`id`/orvanta" << "\"/opt/\\$HOME\\`id\\`/orvanta\"";
    QTest::newRow("backslash") << "/opt/a\\b/orvanta" << "\"/opt/a\\\\b/orvanta\"";
    QTest::newRow("percent alone") << "/opt/100%/orvanta" << "/opt/100%%/orvanta";
    QTest::newRow("percent quoted") << "/opt/100% sure/orvanta" << "\"/opt/100%% sure/orvanta\"";
}

void AutostartTest::execArgumentIsQuotedAsDesktopEntriesWant()
{
    QFETCH(QString, program);
    QFETCH(QString, argument);
    QCOMPARE(AutostartEntry::execArgument(program), argument);
}

void AutostartTest::writtenEntryValidates_data()
{
    QTest::addColumn<QString>("folder"); // where the program lives, below a temporary folder

    QTest::newRow("plain") << "bin";
    QTest::newRow("space") << "my tools";
    QTest::newRow("quotes, dollar, backslash") << "it's \"$x\" a\\b";
    QTest::newRow("percent") << "100% sure";
    QTest::newRow("not ASCII") << "Prüfstand";
}

void AutostartTest::writtenEntryValidates()
{
    QFETCH(QString, folder);
    const ConfigHome config;
    AutostartEntry entry(config.path() + QLatin1Char('/') + folder + QLatin1String("/orvanta"));
    QVERIFY2(entry.setEnabled(true), qPrintable(entry.errorString()));
    QVERIFY(entry.exists());
    const QString complaints = validatorComplaints(config.entry());
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
    QCOMPARE(entryLine(config.entry(), "X-GNOME-Autostart-enabled"), QByteArray("X-GNOME-Autostart-enabled=true"));
}

void AutostartTest::aLauncherStartsExactlyTheProgramNamed_data()
{
    QTest::addColumn<QString>("folder");

    QTest::newRow("plain") << "bin";
    QTest::newRow("space") << "my tools";
    QTest::newRow("quotes, dollar, backtick, backslash") << "it's \"$x\" `a`\\b";
}

// gio launches an entry the way a GLib-based session does.
void AutostartTest::aLauncherStartsExactlyTheProgramNamed()
{
    QFETCH(QString, folder);
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        QFAIL("gio is not installed (scripts/install-deps)");
    const ConfigHome config;
    const QString programFolder = config.path() + QLatin1Char('/') + folder;
    const QString program = programFolder + QLatin1String("/orvanta");
    const QString marker = config.path() + QLatin1String("/started");
    QVERIFY(QDir().mkpath(programFolder));
    {
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$ORVANTA_AUTOSTART_MARKER\"\n");
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
    }
    AutostartEntry entry(program);
    QVERIFY2(entry.setEnabled(true), qPrintable(entry.errorString()));

    const ScopedEnv markerEnv("ORVANTA_AUTOSTART_MARKER", marker);
    QProcess launch;
    launch.setProcessChannelMode(QProcess::MergedChannels);
    launch.start(gio, {QStringLiteral("launch"), config.entry()});
    QVERIFY(launch.waitForFinished(30000));
    QVERIFY2(launch.exitCode() == 0, launch.readAll().constData());
    // The program is started on its own: wait for what it writes, whole.
    const auto startedAs = [&marker] {
        QFile started(marker);
        return started.open(QIODevice::ReadOnly) ? QString::fromUtf8(started.readAll()) : QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(startedAs(), program, 10000);
}

void AutostartTest::itemSitsBetweenShowAndQuitAndFollowsTheFile_data()
{
    QTest::addColumn<bool>("entryThere");

    QTest::newRow("no entry") << false;
    QTest::newRow("an entry") << true;
}

void AutostartTest::itemSitsBetweenShowAndQuitAndFollowsTheFile()
{
    QFETCH(bool, entryThere);
    const ConfigHome config;
    if (entryThere)
        config.putEntry();
    Tray t;
    QStringList texts;
    for (const QAction* action : t.shown().contextMenu()->actions())
        texts.append(action->text());
    QCOMPARE(texts, (QStringList{"Show Orvanta", "Start with the session", "Quit"}));
    QVERIFY(t.item().isCheckable());
    QCOMPARE(t.item().isChecked(), entryThere);
}

void AutostartTest::togglingWritesAndRemovesTheEntryOfThisProgram()
{
    const ConfigHome config; // no autostart folder yet: checking creates it
    Tray t;
    QVERIFY(!t.item().isChecked());

    t.item().trigger();
    QVERIFY(t.item().isChecked());
    QVERIFY(QFile::exists(config.entry()));
    const QString complaints = validatorComplaints(config.entry());
    QVERIFY2(complaints.isEmpty(), qPrintable(complaints));
    // The build folder's path needs no quoting, so the entry names this test program as is.
    QCOMPARE(entryLine(config.entry(), "Exec"), "Exec=" + QCoreApplication::applicationFilePath().toUtf8());
    QCOMPARE(QDir(config.path() + QLatin1String("/autostart")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"orvanta.desktop"}); // nothing of the atomic write is left behind

    t.item().trigger();
    QVERIFY(!t.item().isChecked());
    QVERIFY(!QFile::exists(config.entry()));

    // The file is the state: the settings keep nothing of it.
    QCOMPARE(t.f.settings.open()->allKeys(), QStringList());
}

void AutostartTest::entryRemovedElsewhereUnchecksTheItem()
{
    const ConfigHome config;
    Tray t;
    t.item().trigger();
    QVERIFY(QFile::remove(config.entry())); // say, by the desktop's autostart settings
    emit t.shown().contextMenu()->aboutToShow();
    QVERIFY(!t.item().isChecked());
    config.putEntry();
    emit t.shown().contextMenu()->aboutToShow();
    QVERIFY(t.item().isChecked());
}

void AutostartTest::aFolderThatCannotBeWrittenLeavesTheItemUnchecked_data()
{
    QTest::addColumn<QString>("blocker");

    QTest::newRow("a file where the autostart folder belongs") << "autostart is a file";
    QTest::newRow("a file where the configuration home belongs") << "config home below a file";
    QTest::newRow("a folder in place of the entry") << "entry is a folder";
    QTest::newRow("a read-only autostart folder") << "read-only";
}

void AutostartTest::aFolderThatCannotBeWrittenLeavesTheItemUnchecked()
{
    QFETCH(QString, blocker);
    ConfigHome config;
    std::optional<ScopedEnv> elsewhere;
    const QString autostart = config.path() + QLatin1String("/autostart");
    if (blocker == QLatin1String("autostart is a file")) {
        QFile file(autostart);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (blocker == QLatin1String("config home below a file")) {
        QFile file(config.path() + QLatin1String("/plain"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        elsewhere.emplace("XDG_CONFIG_HOME", file.fileName() + QLatin1String("/config"));
    } else if (blocker == QLatin1String("entry is a folder")) {
        QVERIFY(QDir().mkpath(config.entry()));
    } else {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(QDir().mkpath(autostart));
        QVERIFY(QFile::setPermissions(autostart, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    Tray t;
    QVERIFY(!t.item().isChecked());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^start with the session: cannot ")));
    t.item().trigger();
    QVERIFY(!t.item().isChecked());
    QVERIFY(!QFileInfo(AutostartEntry::path()).isFile());
    QFile::setPermissions(autostart, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void AutostartTest::anEntryThatCannotBeRemovedLeavesTheItemChecked()
{
    if (::geteuid() == 0)
        QSKIP("root removes files from read-only folders");
    const ConfigHome config;
    config.putEntry();
    const QString autostart = config.path() + QLatin1String("/autostart");
    QVERIFY(QFile::setPermissions(autostart, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    Tray t;
    QVERIFY(t.item().isChecked());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^start with the session: cannot remove ")));
    t.item().trigger();
    QVERIFY(t.item().isChecked());
    QVERIFY(QFile::exists(config.entry()));
    QFile::setPermissions(autostart, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QTEST_MAIN(AutostartTest)
#include "AutostartTest.moc"
