#include "app/MapLinks.h"

#include <QSettings>

namespace Orvanta {

namespace {

QString coordinate(double degrees) { return QString::asprintf("%.6lf", degrees); }

QUrl link(const QString& site, const QString& path) { return QUrl(QStringLiteral("https://") + site + path); }

QString stored(const QSettings& settings, const char* name, const QString& fallback)
{
    const QString site = settings.value(QStringLiteral("MapLinks/") + QLatin1String(name)).toString().trimmed();
    return site.isEmpty() ? fallback : site;
}

} // namespace

MapSites MapSites::defaults()
{
    return {QStringLiteral("www.openstreetmap.org"), QStringLiteral("www.bing.com/maps"),
            QStringLiteral("www.bing.com"), QStringLiteral("www.tarnwell.com")};
}

MapSites MapSites::fromSettings(const QSettings& settings)
{
    const MapSites fallback = defaults();
    return {stored(settings, "Location", fallback.location), stored(settings, "Search", fallback.search),
            stored(settings, "Directions", fallback.directions), stored(settings, "Tips", fallback.tips)};
}

namespace mapLinks {

QUrl showLocation(const MapSites& sites, double latitude, double longitude)
{
    return link(sites.location,
                QStringLiteral("/#mvt=m&lat=%L1&lon=%L2&zoom=16").arg(coordinate(latitude), coordinate(longitude)));
}

QUrl searchNear(const MapSites& sites, double latitude, double longitude, const QString& what)
{
    // Filled in one pass, so that a typed "%1" stays literal text.
    return link(sites.search, QStringLiteral("/default.aspx?cp=%L1~%L2&lvl=12&style=r&v=2&ss=yp.\"%L3\"&v=2")
                                  .arg(coordinate(latitude), coordinate(longitude), what));
}

QUrl directionsFrom(const MapSites& sites, double latitude, double longitude, const QString& address)
{
    return link(sites.directions, QStringLiteral("/maps/default.aspx?v=2&rtp=pos.%L1_%L2~adr.%L3")
                                      .arg(coordinate(latitude), coordinate(longitude), address));
}

QUrl tips(const MapSites& sites) { return link(sites.tips, QStringLiteral("/gpstool")); }

} // namespace mapLinks

} // namespace Orvanta
