#pragma once

#include "data/connection.h"

#include <QMutex>
#include <QWaitCondition>
#include <functional>
#include <memory>

class QThread;

namespace data {

// A second connection to a database, on a thread of its own, for a long read behind a window.
// Its connection stays open from one read to the next: a server takes tens of milliseconds to
// open a session and to plan the first statements in it, and SQLite keeps the pages it read.
// One read at a time.
class ReadingThread {
public:
    // open: opens the connection on the thread (see Connection::openerOfAnother); opening: which
    // opening of the connection it reads beside.
    ReadingThread(std::function<void(Connection&)> open, quint64 opening);
    // Waits for the read running, then closes the connection and ends the thread.
    ~ReadingThread();
    ReadingThread(const ReadingThread&) = delete;
    ReadingThread& operator=(const ReadingThread&) = delete;

    // Runs read on the thread and returns at once. The connection it is given is open when an
    // earlier read left it so (a session the server may have ended since); otherwise read opens
    // it with the opener it is given. A read that lets an exception out leaves the connection
    // closed for the next one.
    using Read = std::function<void(Connection& db, const std::function<void(Connection&)>& open)>;
    void start(Read read);
    // Waits until the read last started has ended.
    void wait();
    quint64 opening() const { return opening_; }

private:
    void loop();

    std::function<void(Connection&)> open_;
    quint64 opening_;
    std::unique_ptr<QThread> thread_;
    QMutex mutex_;
    QWaitCondition changed_;
    // Guarded by mutex_.
    Read read_;
    bool reading_ = false;
    bool quitting_ = false;
};

} // namespace data
