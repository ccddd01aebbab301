// The tool's entry: reads the command line, hands a request to an instance that already
// runs, or starts the shell and runs it until Quit or a "Stop" message.

#include "app/CommandLine.h"
#include "app/Conductor.h"
#include "app/MainWidget.h"
#include "app/QtCvWrapper.h"
#include "app/Resources.h"
#include "app/SingleApplication.h"

#include "OrvantaVersion.h"

#include <QSettings>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int messageTimeoutMs = 5000;

QStringList arguments(int argc, char** argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

void send(Orvanta::SingleApplication& app, const char* message)
{
    if (!app.sendMessage(QString::fromLatin1(message), messageTimeoutMs) && app.isRunning())
        std::fprintf(stderr, "orvanta: the running instance did not take \"%s\"\n", message);
}

} // namespace

int main(int argc, char** argv)
{
    const Orvanta::CommandLineRequest request = Orvanta::parseCommandLine(arguments(argc, argv));
    // Answered before the application object exists: it would need a display, and a
    // packager's build or a terminal without one must still get them.
    if (request.answer != Orvanta::CommandLineAnswer::none) {
        const std::string text =
            request.answer == Orvanta::CommandLineAnswer::help ? Orvanta::helpText() : Orvanta::versionText();
        std::fputs(text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    Orvanta::SingleApplication app(QStringLiteral("Orvanta"), argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));
    // Wayland sessions match the windows to the menu entry, and its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvanta"));

    if (request.stop || request.bulldoze) {
        if (request.bulldoze)
            send(app, "Bulldoze");
        if (app.isRunning())
            send(app, "Stop");
        return 0;
    }
    if (app.isRunning()) {
        send(app, "Activate");
        return 0;
    }

    // A tray tool: hiding its last window must not end it; only Quit and "Stop" do.
    QApplication::setQuitOnLastWindowClosed(false);
    app.setStyleSheet(Orvanta::resources::readStyleSheet());

    Orvanta::QtCvWrapper& bridge = Orvanta::QtCvWrapper::instance();
    Orvanta::Conductor conductor(bridge, std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                                     QStringLiteral("Tarnwell"),
                                                                     QStringLiteral("orvanta")));
    conductor.start(bridge);
    QObject::connect(&app, &Orvanta::SingleApplication::messageReceived, conductor.mainWidget(),
                     &Orvanta::MainWidget::onMessageReceived);
    const int result = QApplication::exec();
    // Quit has closed the library already. A loop that ended some other way leaves it open,
    // or a close still under way, which this waits for rather than repeating.
    bridge.shutdown();
    return result;
}
