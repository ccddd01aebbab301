// One instance per session: the command line, the message format, the listener facing
// other starts (including badly behaved ones).

#include "app/CommandLine.h"
#include "app/InstanceListener.h"
#include "app/InstanceMessage.h"
#include "app/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using namespace Orvanta;
namespace message = Orvanta::instanceMessage;

namespace {

QByteArray header(quint32 length)
{
    char bytes[4];
    qToBigEndian(length, bytes);
    return QByteArray("Orv1") + QByteArray(bytes, 4);
}

// A later start talking to the listener, without blocking the test's event loop.
struct Peer {
    explicit Peer(const QString& path)
    {
        socket.connectToServer(path);
        QVERIFY(socket.waitForConnected(1000));
    }
    void send(const QByteArray& bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    bool acknowledged()
    {
        return QTest::qWaitFor([&] { return socket.bytesAvailable() > 0; }, 2000) &&
               socket.read(1) == QByteArray(1, message::acknowledgement);
    }
    bool droppedByListener()
    {
        return QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 3000);
    }
    QLocalSocket socket;
};

struct Listening {
    Listening()
    {
        QVERIFY(dir.isValid());
        QVERIFY(listener.listen(path()));
    }
    QString path() const { return dir.filePath(QStringLiteral("test.socket")); }
    QTemporaryDir dir;
    InstanceListener listener;
    QSignalSpy received{&listener, &InstanceListener::messageReceived};
};

// Points XDG_RUNTIME_DIR at a fresh folder for one test.
struct RuntimeHome {
    RuntimeHome()
        : previous(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    }
    ~RuntimeHome() { qputenv("XDG_RUNTIME_DIR", previous); }
    QString folder() const { return dir.filePath(QStringLiteral("orvanta")); }
    QTemporaryDir dir;
    QByteArray previous;
};

} // namespace

class InstanceTest : public QObject {
    Q_OBJECT

private slots:
    void commandLineRequests_data();
    void commandLineRequests();
    void decodesFrames_data();
    void decodesFrames();
    void encodeRefusesOverlongMessages();
    void listenerAcknowledgesAndReports_data();
    void listenerAcknowledgesAndReports();
    void listenerDropsBadPeersAndCarriesOn_data();
    void listenerDropsBadPeersAndCarriesOn();
    void listenerDropsPeersThatStall();
    void firstInstanceListensLaterOnesFindIt();
    void staleSocketOfADeadInstanceIsReplaced();
};

void InstanceTest::commandLineRequests_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<bool>("bulldoze");
    QTest::addColumn<CommandLineAnswer>("answer");

    const auto none = CommandLineAnswer::none;
    const auto help = CommandLineAnswer::help;
    const auto version = CommandLineAnswer::version;

    QTest::newRow("nothing") << QStringList{"orvanta"} << false << false << none;
    QTest::newRow("-stop") << QStringList{"orvanta", "-stop"} << true << false << none;
    QTest::newRow("/stop") << QStringList{"orvanta", "/stop"} << true << false << none;
    QTest::newRow("-STOP") << QStringList{"orvanta", "-STOP"} << true << false << none;
    QTest::newRow("/Stop") << QStringList{"orvanta", "/Stop"} << true << false << none;
    QTest::newRow("-stop twice cancels") << QStringList{"orvanta", "-stop", "-stop"} << false << false << none;
    QTest::newRow("-STOP -stop cancels") << QStringList{"orvanta", "-STOP", "-stop"} << false << false << none;
    QTest::newRow("-stop three times") << QStringList{"orvanta", "-stop", "/stop", "-Stop"} << true << false << none;
    QTest::newRow("-bulldoze") << QStringList{"orvanta", "-bulldoze"} << false << true << none;
    QTest::newRow("/BULLDOZE") << QStringList{"orvanta", "/BULLDOZE"} << false << true << none;
    QTest::newRow("both") << QStringList{"orvanta", "-stop", "-bulldoze"} << true << true << none;
    QTest::newRow("bare word") << QStringList{"orvanta", "stop"} << false << false << none;
    QTest::newRow("double dash") << QStringList{"orvanta", "--stop"} << false << false << none;
    QTest::newRow("longer word") << QStringList{"orvanta", "-stopped"} << false << false << none;
    QTest::newRow("program name is not an argument") << QStringList{"-stop"} << false << false << none;
    QTest::newRow("empty argument") << QStringList{"orvanta", ""} << false << false << none;

    // The GNU-style options, taken only as written, as the other programs take them; the
    // Windows-style flags keep ignoring case.
    QTest::newRow("--help") << QStringList{"orvanta", "--help"} << false << false << help;
    QTest::newRow("-h") << QStringList{"orvanta", "-h"} << false << false << help;
    QTest::newRow("--version") << QStringList{"orvanta", "--version"} << false << false << version;
    QTest::newRow("--HELP is ignored") << QStringList{"orvanta", "--HELP"} << false << false << none;
    QTest::newRow("-H is ignored") << QStringList{"orvanta", "-H"} << false << false << none;
    QTest::newRow("--Version is ignored") << QStringList{"orvanta", "--Version"} << false << false << none;
    QTest::newRow("-help is ignored") << QStringList{"orvanta", "-help"} << false << false << none;
    QTest::newRow("/help is ignored") << QStringList{"orvanta", "/help"} << false << false << none;
    QTest::newRow("-version is ignored") << QStringList{"orvanta", "-version"} << false << false << none;
    QTest::newRow("--help=yes is ignored") << QStringList{"orvanta", "--help=yes"} << false << false << none;
    QTest::newRow("bare word help") << QStringList{"orvanta", "help"} << false << false << none;
    QTest::newRow("first of help and version") << QStringList{"orvanta", "--help", "--version"} << false << false
                                               << help;
    QTest::newRow("first of version and help") << QStringList{"orvanta", "--version", "-h"} << false << false
                                               << version;
    QTest::newRow("flags still counted beside --help")
        << QStringList{"orvanta", "-stop", "--help", "/BULLDOZE"} << true << true << help;
    QTest::newRow("--help as program name") << QStringList{"--help"} << false << false << none;
}

void InstanceTest::commandLineRequests()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, stop);
    QFETCH(bool, bulldoze);
    QFETCH(CommandLineAnswer, answer);
    const CommandLineRequest request = parseCommandLine(arguments);
    QCOMPARE(request.stop, stop);
    QCOMPARE(request.bulldoze, bulldoze);
    QCOMPARE(request.answer, answer);
}

void InstanceTest::decodesFrames_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");

    const auto complete = int(message::Status::complete);
    const auto incomplete = int(message::Status::incomplete);
    const auto invalid = int(message::Status::invalid);
    QTest::newRow("whole message") << message::encode(QStringLiteral("Activate")) << complete << "Activate";
    QTest::newRow("text beyond ASCII") << message::encode(QStringLiteral("Stopp \u00fc")) << complete << "Stopp \u00fc";
    QTest::newRow("empty text") << header(0) << complete << "";
    QTest::newRow("nothing yet") << QByteArray() << incomplete << "";
    QTest::newRow("part of the magic") << QByteArray("Or") << incomplete << "";
    QTest::newRow("part of the length") << QByteArray("Orv1\0\0", 6) << incomplete << "";
    QTest::newRow("part of the text") << header(8) + "Acti" << incomplete << "";
    QTest::newRow("garbage") << QByteArray("GET / HTTP/1.0\r\n\r\n") << invalid << "";
    QTest::newRow("one wrong byte") << QByteArray("X") << invalid << "";
    QTest::newRow("too long") << header(message::maxTextBytes + 1) << invalid << "";
    QTest::newRow("largest length the format can say") << header(0xffffffffu) << invalid << "";
    QTest::newRow("bytes after the message") << message::encode(QStringLiteral("Stop")) + "Stop" << invalid << "";
    QTest::newRow("not UTF-8") << header(2) + QByteArray("\xc3\x28", 2) << invalid << "";
}

void InstanceTest::decodesFrames()
{
    QFETCH(QByteArray, received);
    QFETCH(int, status);
    QFETCH(QString, text);
    const message::Decoded decoded = message::decode(received);
    QCOMPARE(int(decoded.status), status);
    QCOMPARE(decoded.message, text);
}

void InstanceTest::encodeRefusesOverlongMessages()
{
    QVERIFY(message::encode(QString(message::maxTextBytes + 1, QLatin1Char('x'))).isEmpty());
    QCOMPARE(message::encode(QString(message::maxTextBytes, QLatin1Char('x'))).size(), message::maxTextBytes + 8);
}

void InstanceTest::listenerAcknowledgesAndReports_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QString>("text");

    const QByteArray stop = message::encode(QStringLiteral("Stop"));
    QTest::newRow("in one write") << QList<QByteArray>{stop} << "Stop";
    QTest::newRow("byte by byte") << [&] {
        QList<QByteArray> bytes;
        for (char c : stop)
            bytes.append(QByteArray(1, c));
        return bytes;
    }() << "Stop";
    QTest::newRow("unknown message still reported") << QList<QByteArray>{message::encode(QStringLiteral("Hello"))}
                                                    << "Hello";
}

void InstanceTest::listenerAcknowledgesAndReports()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QString, text);
    Listening l;
    Peer peer(l.path());
    for (const QByteArray& piece : pieces) {
        peer.send(piece);
        QTest::qWait(1); // let the listener see each piece on its own
    }
    QVERIFY(peer.acknowledged());
    QTRY_COMPARE(l.received.size(), 1);
    QCOMPARE(l.received.at(0).at(0).toString(), text);
}

void InstanceTest::listenerDropsBadPeersAndCarriesOn_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("hangUp");

    QTest::newRow("garbage") << QByteArray("\x00\xff garbage \x01", 12) << false;
    QTest::newRow("absurd length") << header(0x7fffffff) << false;
    QTest::newRow("trailing bytes") << message::encode(QStringLiteral("Stop")) + "junk" << false;
    QTest::newRow("dies mid-message") << header(8) + "Acti" << true;
    QTest::newRow("dies before saying anything") << QByteArray() << true;
}

void InstanceTest::listenerDropsBadPeersAndCarriesOn()
{
    QFETCH(QByteArray, sent);
    QFETCH(bool, hangUp);
    Listening l;
    {
        Peer bad(l.path());
        bad.send(sent);
        if (hangUp)
            bad.socket.abort();
        else
            QVERIFY(bad.droppedByListener());
    }
    Peer good(l.path());
    good.send(message::encode(QStringLiteral("Activate")));
    QVERIFY(good.acknowledged());
    QTRY_COMPARE(l.received.size(), 1);
    QCOMPARE(l.received.at(0).at(0).toString(), QStringLiteral("Activate"));
}

void InstanceTest::listenerDropsPeersThatStall()
{
    Listening l;
    l.listener.setReceiveTimeout(100);
    Peer slow(l.path());
    slow.send(header(8) + "Ac");
    QVERIFY(slow.droppedByListener());
    QCOMPARE(l.received.size(), 0);
}

void InstanceTest::firstInstanceListensLaterOnesFindIt()
{
    RuntimeHome home;
    SingleInstance first(QStringLiteral("Probe"));
    QVERIFY(!first.isRunning());
    QVERIFY(!first.sendMessage(QStringLiteral("Activate"), 100)); // nobody else to tell
    SingleInstance second(QStringLiteral("Probe"));
    QVERIFY(second.isRunning());
    SingleInstance otherTool(QStringLiteral("Other"));
    QVERIFY(!otherTool.isRunning());

    QSignalSpy received(&first, &SingleInstance::messageReceived);
    Peer peer(QDir(home.folder()).filePath(QStringLiteral("Probe.socket")));
    peer.send(message::encode(QStringLiteral("Activate")));
    QTRY_COMPARE(received.size(), 1);
}

void InstanceTest::staleSocketOfADeadInstanceIsReplaced()
{
    RuntimeHome home;
    QVERIFY(::mkdir(QFile::encodeName(home.folder()).constData(), 0700) == 0);
    QFile leftover(QDir(home.folder()).filePath(QStringLiteral("Probe.socket")));
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    SingleInstance first(QStringLiteral("Probe"));
    QVERIFY(!first.isRunning());
    SingleInstance second(QStringLiteral("Probe"));
    QVERIFY(second.isRunning());
}

QTEST_GUILESS_MAIN(InstanceTest)
#include "InstanceTest.moc"
