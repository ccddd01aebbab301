#pragma once
// Closes the library on a thread of the shell's own. With a start or a GPS command under
// way the close waits for it (up to about twenty seconds), and the GUI thread has to keep
// drawing and answering meanwhile. The library's own threads must never close it: this
// thread is not one of them, and nothing of the library runs on it but the close.

#include <QObject>

#include <thread>

namespace Orvanta {

class LibraryControl;

class LibraryCloser final : public QObject {
    Q_OBJECT

public:
    explicit LibraryCloser(LibraryControl& library);
    // Waits for a close under way: its thread must not outlive what it closes.
    ~LibraryCloser() override;
    LibraryCloser(const LibraryCloser&) = delete;
    LibraryCloser& operator=(const LibraryCloser&) = delete;

    // Starts the close, once: later calls do nothing.
    void start();
    bool started() const { return started_; }

signals:
    // Delivered on the thread the closer lives on (the GUI thread) once the library's
    // shutdown has returned, and after what it reported on the way.
    void closed();

private:
    void finish();

    LibraryControl& library_;
    bool started_ = false; // the thread the closer lives on only
    std::thread thread_;
};

} // namespace Orvanta
