#pragma once
// The web pages the function slider opens. Paths and query keys are fixed; the sites are
// settings (group "MapLinks"), each "host" or "host/path-prefix". Links always use https:
// they carry the user's position, which must not travel in clear text.

#include <QString>
#include <QUrl>

class QSettings;

namespace Orvanta {

struct MapSites {
    QString location;   // "Show my location"
    QString search;     // "Search near me"
    QString directions; // "Directions from here"
    QString tips;       // the maker's tips page

    static MapSites defaults();
    // The stored sites; a missing or blank setting falls back to its default.
    static MapSites fromSettings(const QSettings& settings);
};

namespace mapLinks {

// Coordinates are written "%.6lf" (six decimals, '.' separator). The typed texts go in as
// typed; QUrl's tolerant parsing encodes what a URL cannot carry.
QUrl showLocation(const MapSites& sites, double latitude, double longitude);
QUrl searchNear(const MapSites& sites, double latitude, double longitude, const QString& what);
QUrl directionsFrom(const MapSites& sites, double latitude, double longitude, const QString& address);
QUrl tips(const MapSites& sites);

} // namespace mapLinks

} // namespace Orvanta
