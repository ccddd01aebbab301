#include "app/LibraryCloser.h"

#include "app/LibraryControl.h"

#include <QMetaObject>

namespace Orvanta {

LibraryCloser::LibraryCloser(LibraryControl& library)
    : library_(library)
{
}

LibraryCloser::~LibraryCloser()
{
    if (thread_.joinable())
        thread_.join();
}

void LibraryCloser::start()
{
    if (started_)
        return;
    started_ = true;
    thread_ = std::thread([this] {
        library_.shutdown();
        // Posted after everything the library reported while closing (those signals were
        // queued to the GUI thread before this), and dropped if the closer goes first.
        QMetaObject::invokeMethod(this, &LibraryCloser::finish, Qt::QueuedConnection);
    });
}

void LibraryCloser::finish()
{
    thread_.join(); // ends right after posting this
    emit closed();
}

} // namespace Orvanta
