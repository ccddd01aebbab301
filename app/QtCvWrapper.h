#pragma once
// The shell's one door into the middleware: registers the shell as its client, starts and
// stops the library, requests GPS modes, and turns each client callback into a Qt signal.
//
// The callbacks run on middleware threads. They only read their record and emit; the
// wrapper lives on the GUI thread, so Qt queues every emission to its receivers there, in
// the order the middleware raised them. Notifications raised inside initialise() arrive
// on the GUI thread and are delivered at once; so are those of a shutdown() called there,
// while a shutdown() on a closing thread has its notifications queued like any other.

#include "app/LibraryControl.h"
#include "corvane/ParameterCallback.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <mutex>

namespace Orvanta {

class QtCvWrapper final : public QObject, public LibraryControl {
    Q_OBJECT

public:
    // Created on first use, which must be on the GUI thread before the library starts.
    static QtCvWrapper& instance();

    // Does nothing and answers true when already initialised.
    bool initialise() override;
    void shutdown() override;
    void setGpsMode(int mode) override;

    // The functions the middleware calls back, public so that tests can raise them.
    static void libraryStateCallback(const Corvane::CvParameters* record);
    static void deviceStateCallback(const Corvane::CvParameters* record);
    static void updateCallback(const Corvane::CvParameters* record);
    static void gpsSupportCallback(const Corvane::CvParameters* record);
    static void gpsStateCallback(const Corvane::CvParameters* record);
    static void gpsDataCallback(const Corvane::CvParameters* record);

signals:
    void libraryStateChanged(int state);
    void deviceStateChanged(int state);
    void gpsSupportedChanged(bool supported);
    void gpsStateChanged(int state);
    void latitudeChanged(double latitude);
    void longitudeChanged(double longitude);
    void gpsPortNameChanged(QString port);

private:
    QtCvWrapper();

    // Held for the whole of a start or a close: Quit closes on a thread of the shell's
    // own while main() may close once more after the loop.
    std::mutex lifecycleMutex_;
    bool initialised_ = false; // guarded by lifecycleMutex_
    // Commands must not meet a close: the middleware's controller goes away under them.
    std::atomic<bool> closing_ = false;
};

} // namespace Orvanta
