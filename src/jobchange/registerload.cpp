#include "jobchange/registerload.h"

#include "data/rowstream.h"

#include <QMutexLocker>
#include <QScopeGuard>
#include <QSet>
#include <QThread>

namespace jobchange {

RegisterLoad::RegisterLoad(data::ConnectionPtr connection, RegisterStatements statements)
    : connection_(std::move(connection)), statements_(std::move(statements)) {}

RegisterLoad::~RegisterLoad() {
    stop();
}

void RegisterLoad::start() {
    const std::function<void(data::Connection&)> open = connection_->openerOfAnother();
    if (!open) {
        // Read here, on the window's own connection, as a load without a thread would.
        try {
            read(*connection_);
        } catch (const data::DbError& error) {
            deliver([&](Arrived& arrived) { arrived.error = error; });
        }
        const QMutexLocker lock(&mutex_);
        ended_ = true;
        return;
    }
    thread_.reset(QThread::create([this, open] { run(open); }));
    thread_->start();
}

void RegisterLoad::stop() {
    stopping_ = true;
    {
        const QMutexLocker lock(&mutex_);
        if (interrupt_)
            interrupt_();
    }
    if (thread_)
        thread_->wait();
}

void RegisterLoad::run(const std::function<void(data::Connection&)>& open) {
    try {
        // Opened, used and closed on this thread, as QtSql requires.
        data::Connection db;
        open(db);
        {
            const QMutexLocker lock(&mutex_);
            interrupt_ = db.interrupter();
        }
        // Gone before the connection closes.
        const auto forget = qScopeGuard([this] {
            const QMutexLocker lock(&mutex_);
            interrupt_ = nullptr;
        });
        read(db);
    } catch (const data::DbError& error) {
        if (!stopping_)
            deliver([&](Arrived& arrived) { arrived.error = error; });
    }
    const QMutexLocker lock(&mutex_);
    ended_ = true;
    changed_.wakeAll();
}

void RegisterLoad::read(data::Connection& db) {
    db.beginReadTrans();
    // It only read: nothing to keep.
    const auto end = qScopeGuard([&db] { db.rollbackTrans(); });

    data::RowBlock newest;
    {
        data::RowStream rows(db, statements_.newest);
        newest = data::RowBlock(rows.fieldCount());
        while (!stopping_ && rows.next())
            newest.append(rows);
    }
    const int shown = newest.rowCount();
    const bool all = shown < statements_.newestRows;
    deliver([&](Arrived& arrived) {
        arrived.newest = newest.reversed();
        arrived.done = all;
    });
    if (all || stopping_)
        return;

    const qint64 expected = db.open(statements_.count).field(0).toLongLong();
    deliver([&](Arrived& arrived) { arrived.expected = expected; });

    // Every row before the first screen, which the same moment's rows end with. A server that
    // reads without a snapshot may have moved a row: none is taken twice.
    QSet<qint64> newestIds;
    for (int row = 0; row < shown; ++row)
        newestIds.insert(newest.text(row, 0).toLongLong());
    const qint64 oldestShown = newest.text(shown - 1, 0).toLongLong();
    data::RowStream rows(db, statements_.all);
    data::RowBlock block(rows.fieldCount());
    while (!stopping_ && rows.next()) {
        const qint64 id = rows.integer(0).value_or(0);
        if (id == oldestShown)
            break;
        if (newestIds.contains(id))
            continue;
        block.append(rows);
        if (block.rowCount() == kBlockRows)
            deliver([&](Arrived& arrived) {
                arrived.older.push_back(std::exchange(block, data::RowBlock(rows.fieldCount())));
            });
    }
    deliver([&](Arrived& arrived) {
        if (block.rowCount() > 0)
            arrived.older.push_back(std::move(block));
        arrived.done = !stopping_;
    });
}

void RegisterLoad::deliver(const std::function<void(Arrived&)>& add) {
    {
        const QMutexLocker lock(&mutex_);
        add(pending_);
        changed_.wakeAll();
    }
    emit arrived();
}

RegisterLoad::Arrived RegisterLoad::take(bool wait) {
    QMutexLocker lock(&mutex_);
    const auto empty = [this] {
        return !pending_.newest && pending_.older.empty() && !pending_.expected &&
               !pending_.error && !pending_.done;
    };
    while (wait && empty() && !ended_)
        changed_.wait(&mutex_);
    return std::exchange(pending_, Arrived{});
}

} // namespace jobchange
