#pragma once

#include "data/connection.h"
#include "data/rowblock.h"
#include "jobchange/registerreads.h"

#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace data {
class ReadingThread;
}

namespace jobchange {

// The register's rows read behind the window: on a thread of its own, on a second connection to
// the same database (kept from the last load, see data::ReadingThread), in one read transaction,
// so that every row comes from the same moment. The newest rows come first (the window's first
// screen), then every older row in the register's order, in blocks, until the oldest of the
// first screen is reached again. The window takes what has arrived on its own thread, when told
// (arrived) or waiting for it (take).
//
// Where a reader keeps writers out until it ends (SQLite's rollback journal) the older rows are
// read in short transactions instead, each starting after the last row of the one before and
// ended before the next begins, so that a clerk's save waits a moment rather than for the whole
// load; a read that a writer locks out is tried again. No job change is handed over twice, even
// one that another clerk's edit moved in the order meanwhile.
class RegisterLoad : public QObject {
    Q_OBJECT
public:
    // What arrived since the last take.
    struct Arrived {
        // The first screen: the newest rows, in the register's order.
        std::optional<data::RowBlock> newest;
        // Rows before the first screen, each block following the previous one, in the
        // register's order; they go in above what came before.
        std::vector<data::RowBlock> older;
        // About how many rows the register lists.
        std::optional<qint64> expected;
        // The load stopped there; no more rows come.
        std::optional<data::DbError> error;
        // Every row has arrived.
        bool done = false;
    };

    // Rows of older rows a block holds.
    static constexpr int kBlockRows = 8192;
    // Older rows a short read takes (a few tenths of a second at most).
    static constexpr int kShortReadRows = 16384;
    // The page cache of the load's own SQLite connection, in KiB. The register's order reads the
    // job changes and employees at random through its index: with SQLite's default 2 MB most
    // rows cost a read from the file, while this much holds the pages it comes back to.
    static constexpr int kSqliteCacheKiB = 32768;

    RegisterLoad(data::ConnectionPtr connection, RegisterStatements statements);
    // Stops the read and waits for its thread.
    ~RegisterLoad() override;

    // Starts reading on a thread of its own. A connection that cannot be opened a second time
    // (a database in memory, a holder that opens it only itself) is read here, on this thread,
    // before start returns. A session kept from an earlier load that has ended meanwhile is
    // opened again and the read started over, as long as nothing was handed over.
    void start();
    // What has arrived; with wait, first waits until something has, unless the load has ended.
    Arrived take(bool wait);

    // Whether the load reads in short transactions on this database: where a reader keeps every
    // writer from committing until it ends (SQLite's rollback journal, not WAL).
    static bool readsInShortTransactions(data::Connection& db);

    // Called on the reading thread whenever it holds no lock before a short read, with
    // lockedOut when a writer's lock refused the one before: where tests hold the load or take
    // the database's lock.
    static void setBetweenReadsHook(std::function<void(bool lockedOut)> hook);

signals:
    // Something arrived (emitted on the reading thread).
    void arrived();

private:
    void run(data::Connection& db, const std::function<void(data::Connection&)>& open);
    // Reads once on the load's own connection, interruptible meanwhile.
    void readInterruptibly(data::Connection& db);
    // own: the load's own connection, which nothing else uses.
    void read(data::Connection& db, bool own);
    class Older;
    void readShort(data::Connection& db, Older& older);
    void deliver(const std::function<void(Arrived&)>& add);
    void stop();

    data::ConnectionPtr connection_;
    RegisterStatements statements_;
    std::unique_ptr<data::ReadingThread> reader_;
    std::atomic<bool> stopping_{false};
    QMutex mutex_;
    QWaitCondition changed_;
    // Guarded by mutex_.
    Arrived pending_;
    bool ended_ = false;
    bool handedOver_ = false;
    std::function<void()> interrupt_;
};

} // namespace jobchange
