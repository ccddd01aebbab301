// The real program, started several times in one user session (its own temporary HOME and
// runtime folder per test): later starts hand their request to the first and exit.

#include "OrvantaVersion.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {

constexpr int startTimeoutMs = 20000;
constexpr int finishTimeoutMs = 30000;

// One start of the program, with everything it has written so far.
struct Run {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QString log;

    const QString& output()
    {
        log += QString::fromLocal8Bit(process->readAll());
        return log;
    }
    bool shows(const QString& text)
    {
        return QTest::qWaitFor([&] { return output().contains(text); }, finishTimeoutMs);
    }
    bool endsWithCode(int code)
    {
        // waitForFinished() answers false for a process that has ended already.
        const bool ended = process->state() == QProcess::NotRunning || process->waitForFinished(finishTimeoutMs);
        return ended && process->exitStatus() == QProcess::NormalExit && process->exitCode() == code;
    }
};

class Session {
public:
    Session()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("home/.config")));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("runtime")));
        QVERIFY(::chmod(QFile::encodeName(runtime()).constData(), 0700) == 0);
        environment_ = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "DISPLAY", "WAYLAND_DISPLAY"})
            environment_.remove(QLatin1String(name));
        environment_.insert(QStringLiteral("HOME"), dir_.filePath(QStringLiteral("home")));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment_.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orvanta.shell.info=true"));
    }

    QString runtime() const { return dir_.filePath(QStringLiteral("runtime")); }
    QString socket() const { return runtime() + QStringLiteral("/orvanta/Orvanta.socket"); }
    std::unique_ptr<QSettings> settings() const
    {
        return std::make_unique<QSettings>(dir_.filePath(QStringLiteral("home/.config/Tarnwell/orvanta.conf")),
                                           QSettings::IniFormat);
    }

    std::unique_ptr<Run> start(const QStringList& arguments) const
    {
        auto run = std::make_unique<Run>();
        run->process->setProcessEnvironment(environment_);
        run->process->setProcessChannelMode(QProcess::MergedChannels);
        run->process->setWorkingDirectory(dir_.path());
        run->process->start(QString::fromLocal8Bit(qgetenv("ORVANTA_APP_BINARY")), arguments);
        return run;
    }

    // Starts an instance and waits until it listens for later starts; null if it does not.
    std::unique_ptr<Run> startInstance() const
    {
        auto run = start({});
        const bool up = run->process->waitForStarted(startTimeoutMs) &&
                        QTest::qWaitFor([&] { return someoneListens(); }, startTimeoutMs);
        return up ? std::move(run) : nullptr;
    }

    bool someoneListens() const
    {
        QLocalSocket probe;
        probe.connectToServer(socket());
        return probe.waitForConnected(100);
    }

    // Runs a later start to its end; its exit code, or -1 when it crashed or hung.
    int runToEnd(const QStringList& arguments) const
    {
        auto run = start(arguments);
        if (!run->process->waitForFinished(finishTimeoutMs) || run->process->exitStatus() != QProcess::NormalExit) {
            run->process->kill();
            run->process->waitForFinished();
            return -1;
        }
        return run->process->exitCode();
    }

    // What a start that only answers prints, started as from a terminal without any display
    // (no platform plugin chosen either); exit code -1 when it crashed or hung.
    struct Answer {
        int exitCode = -1;
        QString output;
        QString errors;
    };
    Answer answer(const QStringList& arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = environment_;
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir_.path());
        process.start(QString::fromLocal8Bit(qgetenv("ORVANTA_APP_BINARY")), arguments);
        Answer result;
        if (!process.waitForFinished(finishTimeoutMs) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitCode();
        result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

private:
    QTemporaryDir dir_;
    QProcessEnvironment environment_;
};

} // namespace

class ProcessTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(QFileInfo::exists(QString::fromLocal8Bit(qgetenv("ORVANTA_APP_BINARY"))),
                                   "ORVANTA_APP_BINARY names no program"); }
    void laterStartsHandTheirRequestOver_data();
    void laterStartsHandTheirRequestOver();
    void requestsWithNothingRunningStartNothing_data();
    void requestsWithNothingRunningStartNothing();
    void anInstanceThatDiedIsReplaced();
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();
    void answeringLeavesTheRunningInstanceAlone();
};

void ProcessTest::laterStartsHandTheirRequestOver_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("firstEnds");
    QTest::addColumn<bool>("settingsCleared");

    QTest::newRow("second start activates") << QStringList{} << QStringList{"Activate"} << false << false;
    QTest::newRow("-stop stops") << QStringList{"-stop"} << QStringList{"Stop"} << true << false;
    QTest::newRow("/STOP stops") << QStringList{"/STOP"} << QStringList{"Stop"} << true << false;
    QTest::newRow("-bulldoze clears and stops") << QStringList{"-bulldoze"} << QStringList{"Bulldoze", "Stop"} << true
                                                << true;
    QTest::newRow("-STOP -stop activates") << QStringList{"-STOP", "-stop"} << QStringList{"Activate"} << false
                                           << false;
    QTest::newRow("bare word stop activates") << QStringList{"stop"} << QStringList{"Activate"} << false << false;
}

void ProcessTest::laterStartsHandTheirRequestOver()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, messages);
    QFETCH(bool, firstEnds);
    QFETCH(bool, settingsCleared);

    Session session;
    session.settings()->setValue(QStringLiteral("ShowReminder"), true);
    auto first = session.startInstance();
    QVERIFY2(first != nullptr, "the first start did not come up");

    QCOMPARE(session.runToEnd(arguments), 0);
    for (const QString& m : messages)
        QVERIFY2(first->shows(QStringLiteral("message received: \"%1\"").arg(m)), qPrintable(first->output()));
    if (messages.contains(QStringLiteral("Activate")))
        QVERIFY2(first->shows(QStringLiteral("main window shown")), qPrintable(first->output()));
    if (firstEnds) {
        QVERIFY2(first->endsWithCode(0), qPrintable(first->output()));
        QVERIFY(first->output().contains(QStringLiteral("quitting")));
        QVERIFY(!QFileInfo::exists(session.socket()));
    } else {
        QCOMPARE(first->process->state(), QProcess::Running);
        QCOMPARE(session.runToEnd({QStringLiteral("-stop")}), 0);
        QVERIFY2(first->endsWithCode(0), qPrintable(first->output()));
    }
    QCOMPARE(session.settings()->value(QStringLiteral("ShowReminder")).isValid(), !settingsCleared);
}

void ProcessTest::requestsWithNothingRunningStartNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("-stop") << QStringList{"-stop"};
    QTest::newRow("-bulldoze") << QStringList{"-bulldoze"};
    QTest::newRow("/stop /bulldoze") << QStringList{"/stop", "/bulldoze"};
}

void ProcessTest::requestsWithNothingRunningStartNothing()
{
    QFETCH(QStringList, arguments);
    Session session;
    session.settings()->setValue(QStringLiteral("ShowReminder"), true);
    QCOMPARE(session.runToEnd(arguments), 0);
    QVERIFY(!QFileInfo::exists(session.socket()));
    // Nobody received "Bulldoze": the settings stay.
    QCOMPARE(session.settings()->value(QStringLiteral("ShowReminder")).toBool(), true);
}

void ProcessTest::anInstanceThatDiedIsReplaced()
{
    Session session;
    auto crashed = session.startInstance();
    QVERIFY(crashed != nullptr);
    crashed->process->kill(); // leaves its socket file behind
    QVERIFY(crashed->process->waitForFinished(finishTimeoutMs));
    QVERIFY(QFileInfo::exists(session.socket()));
    QVERIFY(!session.someoneListens());

    // The next start takes over instead of handing "Activate" to the dead one.
    auto next = session.startInstance();
    QVERIFY2(next != nullptr, "the next start did not take over");
    QCOMPARE(session.runToEnd({}), 0);
    QVERIFY2(next->shows(QStringLiteral("message received: \"Activate\"")), qPrintable(next->output()));
    QCOMPARE(session.runToEnd({QStringLiteral("-stop")}), 0);
    QVERIFY2(next->endsWithCode(0), qPrintable(next->output()));
}

void ProcessTest::answersWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("begins");

    const QString usage = QStringLiteral("Usage: orvanta [-stop] [-bulldoze]\n");
    const QString version = QStringLiteral("orvanta " ORVANTA_VERSION "\n");
    QTest::newRow("--help") << QStringList{"--help"} << usage;
    QTest::newRow("-h") << QStringList{"-h"} << usage;
    QTest::newRow("--version") << QStringList{"--version"} << version;
    QTest::newRow("-bulldoze --version") << QStringList{"-bulldoze", "--version"} << version;
}

void ProcessTest::answersWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, begins);
    Session session;
    session.settings()->setValue(QStringLiteral("ShowReminder"), true);
    const Session::Answer answer = session.answer(arguments);
    QCOMPARE(answer.exitCode, 0);
    QVERIFY2(answer.output.startsWith(begins), qPrintable(answer.output));
    QCOMPARE(answer.errors, QString());
    if (begins.startsWith(QLatin1String("orvanta ")))
        QCOMPARE(answer.output, begins);
    QVERIFY(!QFileInfo::exists(session.socket()));
    QCOMPARE(session.settings()->value(QStringLiteral("ShowReminder")).toBool(), true);
}

void ProcessTest::answeringLeavesTheRunningInstanceAlone()
{
    Session session;
    auto first = session.startInstance();
    QVERIFY2(first != nullptr, "the first start did not come up");
    QCOMPARE(session.answer({QStringLiteral("-stop"), QStringLiteral("--help")}).exitCode, 0);
    QCOMPARE(session.answer({QStringLiteral("--version")}).exitCode, 0);
    // A message still on its way would arrive before the answer to this one.
    QCOMPARE(session.runToEnd({QStringLiteral("-stop")}), 0);
    QVERIFY2(first->endsWithCode(0), qPrintable(first->output()));
    QCOMPARE(first->output().count(QStringLiteral("message received:")), 1);
}

QTEST_GUILESS_MAIN(ProcessTest)
#include "ProcessTest.moc"
