// Draws every picture the tool shows into a folder (app/resources/ by default):
//   orvanta_draw_images [folder]
// scripts/draw-images builds and runs it. The pictures are committed; run this again after
// changing a painter and commit what changed.
//
// Draws the program's icon at one size (the build does, for the launcher's icon theme):
//   orvanta_draw_images --app-icon <size> <file>

#include "Painters.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool save(const QDir& folder, const QString& name, const QImage& image)
{
    QImageWriter writer(folder.filePath(name));
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(name), qPrintable(writer.errorString()));
    return false;
}

// Icon themes hold square pictures from 16 pixels up; beyond 1024 nobody asks for one.
int iconSize(const char* text)
{
    bool ok = false;
    const int size = QByteArray(text).toInt(&ok);
    return ok && size >= 16 && size <= 1024 ? size : 0;
}

int drawApplicationIcon(int argc, char** argv)
{
    const int size = argc == 4 ? iconSize(argv[2]) : 0;
    if (size == 0) {
        std::fprintf(stderr, "usage: orvanta_draw_images --app-icon <size 16..1024> <file>\n");
        return 2;
    }
    const QFileInfo file(QString::fromLocal8Bit(argv[3]));
    return save(file.dir(), file.fileName(), draw::applicationIcon(size)) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The icon has no text, so it needs no application object: the build runs this once
    // per size and stays quiet.
    if (argc > 1 && qstrcmp(argv[1], "--app-icon") == 0)
        return drawApplicationIcon(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // text rendering needs the font database
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("app/resources"));
    if (!folder.exists()) {
        std::fprintf(stderr, "no folder %s\n", qPrintable(folder.path()));
        return 1;
    }
    using draw::Look;
    bool ok = true;
    const auto put = [&](const QString& name, const QImage& image) { ok = save(folder, name, image) && ok; };

    put("bg_CtrlPanel_184x192.png", draw::controlPanelBackground());
    put("bg_FunctionSlider_178x182.png", draw::functionSliderBackground());
    put("bg_ReminderWidget_400x281.png", draw::reminderBackground());
    put("btn_gps_off_70x70.png", draw::gpsButton(Look::normal));
    put("btn_gps_on_70x70.png", draw::gpsButton(Look::on));
    put("btn_gps_disabled_70x70.png", draw::gpsButton(Look::disabled));

    const struct {
        const char* stem;
        draw::Glyph glyph;
    } actions[] = {{"where", draw::Glyph::where},
                   {"yp", draw::Glyph::search},
                   {"lens", draw::Glyph::directions},
                   {"tips", draw::Glyph::tips}};
    for (const auto& action : actions) {
        const QString stem = QStringLiteral("btn_%1").arg(QLatin1String(action.stem));
        put(stem + "_40x40.png", draw::actionButton(action.glyph, Look::normal));
        put(stem + "_disabled_40x40.png", draw::actionButton(action.glyph, Look::disabled));
        put(stem + "_pressed_40x40.png", draw::actionButton(action.glyph, Look::pressed));
    }

    put("btn_ok_55x23.png", draw::okButton(Look::normal));
    put("btn_ok_hover_55x23.png", draw::okButton(Look::hover));
    put("btn_ok_pressed_55x23.png", draw::okButton(Look::pressed));
    put("btn_open_9x14.png", draw::sliderArrow(true));
    put("btn_close_9x14.png", draw::sliderArrow(false));
    put("win_btn_close.png", draw::windowClose(false));
    put("win_close_pressed.png", draw::windowClose(true));
    put("win_btn_minimize.png", draw::windowMinimize(false));
    put("win_btn_minimize_pressed.png", draw::windowMinimize(true));
    put("chb_accept_checked_12x11.png", draw::checkBox(true));
    put("chb_accept_unchecked_12x11.png", draw::checkBox(false));
    put("mac_btn.png", draw::macButton(false));
    put("mac_btn_hover.png", draw::macButton(true));
    put("systray_gps_on.png", draw::trayPicture(draw::TrayState::active, 48));
    put("systray_gps_off.png", draw::trayPicture(draw::TrayState::inactive, 48));
    put("systray_disabled.png", draw::trayPicture(draw::TrayState::unavailable, 48));
    put("gps.ico", draw::applicationIcon(64));
    return ok ? 0 : 1;
}
