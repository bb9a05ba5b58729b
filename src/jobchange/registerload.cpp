#include "jobchange/registerload.h"

#include "data/readingthread.h"
#include "data/rowstream.h"

#include <QMutexLocker>
#include <QScopeGuard>
#include <QSet>

namespace jobchange {

RegisterLoad::RegisterLoad(data::ConnectionPtr connection, RegisterStatements statements)
    : connection_(std::move(connection)), statements_(std::move(statements)) {}

RegisterLoad::~RegisterLoad() {
    stop();
}

void RegisterLoad::start() {
    reader_ = connection_->takeReadingThread();
    if (!reader_) {
        // Read here, on the window's own connection, as a load without a thread would.
        try {
            read(*connection_, false);
        } catch (const data::DbError& error) {
            deliver([&](Arrived& arrived) { arrived.error = error; });
        }
        const QMutexLocker lock(&mutex_);
        ended_ = true;
        return;
    }
    reader_->start([this](data::Connection& db,
                          const std::function<void(data::Connection&)>& open) { run(db, open); });
}

void RegisterLoad::stop() {
    stopping_ = true;
    {
        const QMutexLocker lock(&mutex_);
        if (interrupt_)
            interrupt_();
    }
    if (reader_) {
        reader_->wait();
        connection_->keepReadingThread(std::move(reader_));
    }
}

void RegisterLoad::run(data::Connection& db, const std::function<void(data::Connection&)>& open) {
    try {
        const bool kept = db.isOpen();
        if (!kept)
            open(db);
        try {
            readInterruptibly(db);
        } catch (const data::DbError& error) {
            bool again = false;
            {
                const QMutexLocker lock(&mutex_);
                again = kept && error.connectionLost() && !handedOver_ && !stopping_;
            }
            if (!again)
                throw;
            // The session kept from the last load was gone (a server restarted meanwhile): the
            // connection opens again at the first statement.
            readInterruptibly(db);
        }
    } catch (const data::DbError& error) {
        if (!stopping_)
            deliver([&](Arrived& arrived) { arrived.error = error; });
        // Not kept for the next load: it may be broken.
        db.close();
    }
    const QMutexLocker lock(&mutex_);
    ended_ = true;
    changed_.wakeAll();
}

void RegisterLoad::readInterruptibly(data::Connection& db) {
    const auto forget = qScopeGuard([this] {
        const QMutexLocker lock(&mutex_);
        interrupt_ = nullptr;
    });
    {
        const QMutexLocker lock(&mutex_);
        interrupt_ = db.interrupter();
    }
    read(db, true);
}

namespace {

// How long a short read waits for a writer's lock before it lets go and tries again.
constexpr int kLockWaitMs = 200;

// Job change ids already handed over: a bit each for the ids a company counts up to, a hash for
// any beyond.
class SeenIds {
public:
    // False when the id was there already.
    bool insert(qint64 id) {
        if (id < 0 || id >= kBits) {
            if (others_.contains(id))
                return false;
            others_.insert(id);
            return true;
        }
        const auto word = static_cast<size_t>(id / 64);
        if (word >= bits_.size())
            bits_.resize(word + 1, 0);
        const quint64 bit = quint64(1) << (id % 64);
        if (bits_[word] & bit)
            return false;
        bits_[word] |= bit;
        return true;
    }

private:
    static constexpr qint64 kBits = qint64(1) << 27;
    std::vector<quint64> bits_;
    QSet<qint64> others_;
};

QMutex hookMutex;
std::function<void(bool)>& betweenReadsHook() {
    static std::function<void(bool)> hook;
    return hook;
}

} // namespace

bool RegisterLoad::readsInShortTransactions(data::Connection& db) {
    return db.dialect().kind() == data::Dialect::Kind::SQLite &&
           data::firstField(db, QStringLiteral("PRAGMA journal_mode")).toString().toLower() !=
               QLatin1String("wal");
}

void RegisterLoad::setBetweenReadsHook(std::function<void(bool lockedOut)> hook) {
    const QMutexLocker lock(&hookMutex);
    betweenReadsHook() = std::move(hook);
}

// The rows before the first screen, taken from one stream or several, each job change once,
// handed over a block at a time, until the first screen's oldest row comes again.
class RegisterLoad::Older {
public:
    Older(RegisterLoad& load, const data::RowBlock& newest) : load_(load) {
        for (int row = 0; row < newest.rowCount(); ++row)
            seen_.insert(newest.text(row, 0).toLongLong());
        oldestShown_ = newest.text(newest.rowCount() - 1, 0).toLongLong();
    }

    // Reads rows until the first screen's oldest or the stream's end (false), or, with a limit,
    // until about that many (true): after then holds the last row's key.
    bool take(data::RowStream& rows, int limit) {
        if (block_.fieldCount() == 0)
            block_ = data::RowBlock(rows.fieldCount());
        int taken = 0;
        while (!load_.stopping_ && rows.next()) {
            const qint64 id = rows.integer(0).value_or(0);
            if (id == oldestShown_)
                return false;
            if (!seen_.insert(id))
                continue;
            block_.append(rows);
            if (block_.rowCount() == kBlockRows)
                load_.deliver([&](Arrived& arrived) {
                    arrived.older.push_back(
                        std::exchange(block_, data::RowBlock(rows.fieldCount())));
                });
            // A row without a key cannot be started after: the read goes on to one with.
            if (limit > 0 && ++taken >= limit) {
                after = registerKey(rows);
                if (!after.isEmpty())
                    return true;
            }
        }
        return false;
    }

    void finish() {
        load_.deliver([&](Arrived& arrived) {
            if (block_.rowCount() > 0)
                arrived.older.push_back(std::move(block_));
            arrived.done = !load_.stopping_;
        });
    }

    QVariantList after;

private:
    RegisterLoad& load_;
    SeenIds seen_;
    qint64 oldestShown_ = 0;
    data::RowBlock block_;
};

void RegisterLoad::read(data::Connection& db, bool own) {
    // On the window's own connection the load ends before the window goes on: it reads in one
    // transaction and leaves the connection's settings as they are.
    const bool shortReads = own && readsInShortTransactions(db);
    if (own && db.dialect().kind() == data::Dialect::Kind::SQLite) {
        db.execute(QStringLiteral("PRAGMA cache_size = -") + QString::number(kSqliteCacheKiB));
        // The first screen waits for a writer as long as any read; the connection may still
        // hold the short reads' wait from the last load.
        db.execute(QStringLiteral("PRAGMA busy_timeout = ") +
                   QString::number(data::kSqliteBusyTimeoutMs));
    }
    db.beginReadTrans();
    // It only read: nothing to keep.
    const auto end = qScopeGuard([&db] {
        if (db.inTransaction())
            db.rollbackTrans();
    });

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

    Older older(*this, newest);
    if (shortReads) {
        db.rollbackTrans();
        // The first screen waited as long as any read; the rest lets a writer through instead.
        db.execute(QStringLiteral("PRAGMA busy_timeout = ") + QString::number(kLockWaitMs));
        readShort(db, older);
    } else {
        // The load's own connection: the server may send the next rows while these are taken.
        data::RowStream rows(db, statements_.all, {}, data::RowStream::Use::Alone);
        older.take(rows, 0);
        // Stopped while the server may still be sending: it stops, rather than every row it
        // has left going by before the window can close.
        if (stopping_)
            db.interrupter()();
    }
    older.finish();
}

void RegisterLoad::readShort(data::Connection& db, Older& older) {
    bool lockedOut = false;
    bool more = true;
    while (more && !stopping_) {
        std::function<void(bool)> hook;
        {
            const QMutexLocker lock(&hookMutex);
            hook = betweenReadsHook();
        }
        if (hook)
            hook(lockedOut);
        try {
            db.beginReadTrans();
            const auto end = qScopeGuard([&db] { db.rollbackTrans(); });
            data::RowStream rows(db, older.after.isEmpty() ? statements_.all : statements_.allAfter,
                                 older.after);
            more = older.take(rows, kShortReadRows);
            lockedOut = false;
        } catch (const data::DbError& error) {
            // A writer holds the database: it is let through, and the read starts again after
            // the last row taken.
            if (error.number() != data::kErrLockConflict || stopping_)
                throw;
            lockedOut = true;
        }
    }
}

void RegisterLoad::deliver(const std::function<void(Arrived&)>& add) {
    {
        const QMutexLocker lock(&mutex_);
        add(pending_);
        handedOver_ = true;
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
