#include "sim/cardsim/trackgen/WalkTrack.h"

#include "sim/cardsim/Nmea.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace Cardsim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371008.8; // metres, mean
constexpr double kKnotsPerMetrePerSecond = 3600.0 / 1852.0;

// Where the walk starts: 48 deg 07.038' N, 11 deg 31.000' E.
constexpr double kStartLatitude = 48.0 + 7.038 / 60.0;
constexpr double kStartLongitude = 11.0 + 31.0 / 60.0;
constexpr double kGeoidSeparation = 47.4;
// 2024-06-15 07:42:10 UTC
constexpr int kStartSecondOfDay = 7 * 3600 + 42 * 60 + 10;
constexpr const char* kDate = "150624";

struct Point {
    double east;
    double north;
};

// Corners of the loop in metres east and north of the start; the walk rounds them.
constexpr std::array<Point, 10> kCorners{{
    {0, 0}, {336, 48}, {608, 200}, {720, 448}, {656, 720}, {448, 864}, {192, 832}, {-16, 688}, {-128, 448}, {-96, 208},
}};

// Where the walker waits (at a crossing, at a bench): from which metre, for how long.
struct Pause {
    double at;
    int seconds;
};
constexpr std::array<Pause, 2> kPauses{{{905, 15}, {1920, 8}}};

struct Satellite {
    int prn;
    double elevation; // degrees at the start
    double azimuth;
    double elevationRate; // degrees a second
    double azimuthRate;
};

constexpr std::array<Satellite, 11> kSatellites{{
    {2, 62, 47, 0.0042, 0.0110},   {5, 18, 312, -0.0031, -0.0062}, {7, 41, 121, 0.0036, 0.0081},
    {9, 77, 251, -0.0012, 0.0150}, {13, 23, 178, 0.0045, -0.0040}, {15, 9, 84, 0.0052, 0.0033},
    {18, 35, 280, -0.0040, 0.0071}, {20, 54, 205, 0.0019, -0.0094}, {23, 14, 23, -0.0026, 0.0058},
    {26, 47, 338, 0.0028, -0.0077}, {29, 28, 145, -0.0035, 0.0066},
}};

// Deterministic noise: mt19937 is specified bit for bit; the distributions of the library
// are not, so uniform and normal numbers are made here.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : engine_(seed) {}
    double uniform() { return (static_cast<double>(engine_()) + 0.5) / 4294967296.0; }
    double normal()
    {
        const double u = uniform();
        const double v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
    }

private:
    std::mt19937 engine_;
};

// A slowly wandering error: each second keeps most of the last one.
class Drift {
public:
    Drift(double sigma, double keep) : sigma_(sigma), keep_(keep) {}
    double next(Noise& noise)
    {
        value_ = keep_ * value_ + std::sqrt(1.0 - keep_ * keep_) * sigma_ * noise.normal();
        return value_;
    }

private:
    double sigma_;
    double keep_;
    double value_ = 0.0;
};

// The loop through the corners as a closed Catmull-Rom curve, measured by arc length.
class Path {
public:
    Path()
    {
        constexpr int samplesPerSide = 400;
        const std::size_t n = kCorners.size();
        points_.push_back(kCorners[0]);
        lengths_.push_back(0.0);
        for (std::size_t side = 0; side < n; ++side) {
            const Point& p0 = kCorners[(side + n - 1) % n];
            const Point& p1 = kCorners[side];
            const Point& p2 = kCorners[(side + 1) % n];
            const Point& p3 = kCorners[(side + 2) % n];
            for (int i = 1; i <= samplesPerSide; ++i) {
                const double t = static_cast<double>(i) / samplesPerSide;
                const double t2 = t * t;
                const double t3 = t2 * t;
                auto blend = [&](double a, double b, double c, double d) {
                    return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
                };
                const Point next{blend(p0.east, p1.east, p2.east, p3.east), blend(p0.north, p1.north, p2.north, p3.north)};
                const Point& last = points_.back();
                lengths_.push_back(lengths_.back() + std::hypot(next.east - last.east, next.north - last.north));
                points_.push_back(next);
            }
        }
    }

    double length() const { return lengths_.back(); }

    Point at(double s) const
    {
        s = std::clamp(s, 0.0, length());
        const auto upper = std::upper_bound(lengths_.begin(), lengths_.end(), s);
        const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(upper - lengths_.begin()), points_.size() - 1);
        const std::size_t j = i == 0 ? 0 : i - 1;
        const double span = lengths_[i] - lengths_[j];
        const double f = span > 0 ? (s - lengths_[j]) / span : 0.0;
        return {points_[j].east + f * (points_[i].east - points_[j].east),
                points_[j].north + f * (points_[i].north - points_[j].north)};
    }

    // Degrees clockwise from north.
    double courseAt(double s) const
    {
        const Point a = at(std::max(0.0, s - 2.0));
        const Point b = at(std::min(length(), s + 2.0));
        double degrees = std::atan2(b.east - a.east, b.north - a.north) * 180.0 / kPi;
        return degrees < 0 ? degrees + 360.0 : degrees;
    }

private:
    std::vector<Point> points_;
    std::vector<double> lengths_;
};

std::string timeOf(int secondOfDay)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.00", secondOfDay / 3600 % 24, secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

// "4807.03800" and "N": degrees and minutes to five decimals, rounded once.
std::string angleOf(double degrees, int degreeDigits)
{
    const auto units = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 60.0 * 100000.0));
    const std::int64_t whole = units / (60 * 100000);
    const std::int64_t minutes = units % (60 * 100000);
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%05lld", degreeDigits, static_cast<long long>(whole),
                  static_cast<long long>(minutes / 100000), static_cast<long long>(minutes % 100000));
    return text;
}

std::string format(const char* pattern, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string twoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

struct SkyView {
    struct Seen {
        int prn;
        int elevation;
        int azimuth;
        int snr;
    };
    std::vector<Seen> seen;
    std::vector<int> used;
};

class Sky {
public:
    SkyView at(int second, Noise& noise)
    {
        SkyView view;
        for (std::size_t i = 0; i < kSatellites.size(); ++i) {
            const Satellite& satellite = kSatellites[i];
            const double elevation = std::clamp(satellite.elevation + satellite.elevationRate * second, 1.0, 89.0);
            double azimuth = std::fmod(satellite.azimuth + satellite.azimuthRate * second, 360.0);
            if (azimuth < 0)
                azimuth += 360.0;
            const double snr = std::clamp(24.0 + 0.28 * elevation + snrDrift_[i].next(noise), 10.0, 50.0);
            const int roundedSnr = static_cast<int>(std::lround(snr));
            view.seen.push_back({satellite.prn, static_cast<int>(std::lround(elevation)),
                                 static_cast<int>(std::lround(azimuth)) % 360, roundedSnr});
            if (elevation >= 10.0 && roundedSnr >= 28)
                view.used.push_back(satellite.prn);
        }
        return view;
    }

private:
    std::array<Drift, kSatellites.size()> snrDrift_{
        Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9),
        Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9), Drift(1.6, 0.9)};
};

double walkingSpeed(int second)
{
    return 1.38 + 0.10 * std::sin(2 * kPi * second / 173.0 + 0.7) + 0.06 * std::sin(2 * kPi * second / 61.0 + 2.1);
}

} // namespace

std::string generateWalkTrack()
{
    const Path path;
    Noise noise(20240615);
    Sky sky;
    Drift eastError(1.2, 0.97);
    Drift northError(1.2, 0.97);
    Drift altitudeError(0.8, 0.95);
    Drift dilution(0.06, 0.9);

    const double metresPerDegreeNorth = kEarthRadius * kPi / 180.0;
    const double metresPerDegreeEast = metresPerDegreeNorth * std::cos(kStartLatitude * kPi / 180.0);

    std::string body;
    double walked = 0.0;
    double course = path.courseAt(0.0);
    std::size_t nextPause = 0;
    int pausing = 0;
    int second = 0;
    for (; walked < path.length(); ++second) {
        // Move on by this second's pace, or wait out a pause.
        double speed = 0.0;
        if (pausing > 0) {
            --pausing;
        } else if (nextPause < kPauses.size() && walked >= kPauses[nextPause].at) {
            pausing = kPauses[nextPause++].seconds - 1;
        } else {
            speed = walkingSpeed(second);
            walked = std::min(path.length(), walked + speed);
        }

        const Point truth = path.at(walked);
        const double east = truth.east + eastError.next(noise);
        const double north = truth.north + northError.next(noise);
        const double latitude = kStartLatitude + north / metresPerDegreeNorth;
        const double longitude = kStartLongitude + east / metresPerDegreeEast;
        const double altitude = 519.0 + 4.0 * std::sin(2 * kPi * walked / path.length()) +
                                1.5 * std::sin(6 * kPi * walked / path.length() + 1.0) + altitudeError.next(noise);
        const double reportedSpeed = std::max(0.0, speed + 0.04 * noise.normal());
        if (speed > 0.0) {
            course = path.courseAt(walked) + 1.5 * noise.normal();
            course = std::fmod(course + 360.0, 360.0);
        }
        const SkyView view = sky.at(second, noise);
        const double hdop = 0.75 + 3.2 / static_cast<double>(std::max<std::size_t>(view.used.size(), 1)) + std::fabs(dilution.next(noise));
        const double vdop = 1.45 * hdop;
        const double pdop = std::hypot(hdop, vdop);

        const std::string time = timeOf(kStartSecondOfDay + second);
        const std::string lat = angleOf(latitude, 2);
        const std::string lon = angleOf(longitude, 3);
        const std::string knots = format("%.3f", reportedSpeed * kKnotsPerMetrePerSecond);
        const std::string kmh = format("%.3f", reportedSpeed * 3.6);
        const std::string courseText = format("%.2f", course);

        body += Nmea::sentenceOf({"$GPGGA", time, lat, "N", lon, "E", "1", twoDigits(static_cast<int>(view.used.size())),
                                  format("%.2f", hdop), format("%.1f", altitude), "M", format("%.1f", kGeoidSeparation),
                                  "M", "", ""}) + "\n";
        std::vector<std::string> gsa{"$GPGSA", "A", "3"};
        for (std::size_t slot = 0; slot < 12; ++slot)
            gsa.push_back(slot < view.used.size() ? twoDigits(view.used[slot]) : "");
        gsa.push_back(format("%.2f", pdop));
        gsa.push_back(format("%.2f", hdop));
        gsa.push_back(format("%.2f", vdop));
        body += Nmea::sentenceOf(gsa) + "\n";
        const std::size_t messages = (view.seen.size() + 3) / 4;
        for (std::size_t m = 0; m < messages; ++m) {
            std::vector<std::string> gsv{"$GPGSV", std::to_string(messages), std::to_string(m + 1),
                                         twoDigits(static_cast<int>(view.seen.size()))};
            for (std::size_t k = m * 4; k < std::min(view.seen.size(), m * 4 + 4); ++k) {
                const SkyView::Seen& seen = view.seen[k];
                char azimuth[8];
                std::snprintf(azimuth, sizeof azimuth, "%03d", seen.azimuth);
                gsv.insert(gsv.end(), {twoDigits(seen.prn), twoDigits(seen.elevation), azimuth, twoDigits(seen.snr)});
            }
            body += Nmea::sentenceOf(gsv) + "\n";
        }
        body += Nmea::sentenceOf({"$GPRMC", time, "A", lat, "N", lon, "E", knots, courseText, kDate, "", "", "A"}) + "\n";
        body += Nmea::sentenceOf({"$GPVTG", courseText, "T", "", "M", knots, "N", kmh, "K", "A"}) + "\n";
    }

    char header[512];
    std::snprintf(header, sizeof header,
                  "# The virtual card's bundled track: a walk of %.1f km in %d min %02d s around a park,\n"
                  "# one GGA, GSA, GSV (3), RMC and VTG group per second, played in a loop.\n"
                  "# Made by cardsim_trackgen (sim/cardsim/trackgen); do not edit, regenerate with\n"
                  "#   cmake --build --preset default --target cardsim_regenerate_track\n",
                  path.length() / 1000.0, second / 60, second % 60);
    return header + body;
}

} // namespace Cardsim
