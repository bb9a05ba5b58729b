#include "data/readingthread.h"

#include <QMutexLocker>
#include <QThread>

namespace data {

ReadingThread::ReadingThread(std::function<void(Connection&)> open, quint64 opening)
    : open_(std::move(open)), opening_(opening) {
    thread_.reset(QThread::create([this] { loop(); }));
    thread_->start();
}

ReadingThread::~ReadingThread() {
    {
        const QMutexLocker lock(&mutex_);
        quitting_ = true;
        changed_.wakeAll();
    }
    thread_->wait();
}

void ReadingThread::start(Read read) {
    const QMutexLocker lock(&mutex_);
    read_ = std::move(read);
    reading_ = true;
    changed_.wakeAll();
}

void ReadingThread::wait() {
    QMutexLocker lock(&mutex_);
    while (reading_)
        changed_.wait(&mutex_);
}

void ReadingThread::loop() {
    // Opened, used and closed on this thread, as QtSql requires.
    Connection db;
    for (;;) {
        Read read;
        {
            QMutexLocker lock(&mutex_);
            while (!reading_ && !quitting_)
                changed_.wait(&mutex_);
            // A read started before the end still runs: whoever started it waits for it.
            if (!reading_)
                return;
            read = std::move(read_);
        }
        try {
            read(db, open_);
        } catch (...) {
            db.close();
        }
        const QMutexLocker lock(&mutex_);
        reading_ = false;
        changed_.wakeAll();
    }
}

} // namespace data
