#include "registro/ReadThread.h"

#include <QAtomicInteger>
#include <QSqlError>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace registro {

struct ReadThread::Shared {
    std::array<QAtomicInteger<quint64>, LaneCount> serials{};
    int pending = 0;  // receiver's thread only
    std::function<void(bool)> busyChanged;

    bool current(Lane lane, quint64 serial) const { return serials[lane].loadAcquire() == serial; }
};

struct ReadThread::Connection {
    QString like;
    QString name;
    QTimeZone zone;
    std::optional<Reader> reader;

    // The reader over the thread's own connection, opened when it is not.
    Reader* open(QString* error)
    {
        if (reader)
            return &*reader;
        QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                       : QSqlDatabase::cloneDatabase(like, name);
        if (!db.open()) {
            *error = db.lastError().text();
            if (error->isEmpty())
                *error = u"impossibile aprire il registro"_s;
            return nullptr;
        }
        reader.emplace(db, zone);
        return &*reader;
    }
    // After a failed read: the next job connects afresh, so that a server
    // back from an outage is read again.
    void close()
    {
        reader.reset();
        if (!QSqlDatabase::contains(name))
            return;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
};

ReadThread::ReadThread(const QSqlDatabase& like, QTimeZone zone, QObject* receiver)
    : m_shared(std::make_shared<Shared>()),
      m_connection(std::make_shared<Connection>()),
      m_receiver(receiver),
      m_context(new QObject)
{
    static QAtomicInteger<quint64> counter;
    m_connection->like = like.connectionName();
    m_connection->name = u"registro-letture-"_s + QString::number(counter.fetchAndAddRelaxed(1) + 1);
    m_connection->zone = std::move(zone);
    m_thread.setObjectName(u"registro-letture"_s);
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

ReadThread::~ReadThread()
{
    for (int lane = 0; lane < LaneCount; ++lane)
        supersede(Lane(lane));
    QMetaObject::invokeMethod(
        m_context,
        [connection = m_connection] {
            connection->close();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
    delete m_context;
}

void ReadThread::supersede(Lane lane)
{
    m_shared->serials[lane].fetchAndAddOrdered(1);
}

bool ReadThread::busy() const
{
    return m_shared->pending > 0;
}

void ReadThread::onBusyChanged(std::function<void(bool)> told)
{
    m_shared->busyChanged = std::move(told);
}

void ReadThread::postErased(Lane lane, std::function<bool(Reader*, const QString&)> read, std::function<void()> apply)
{
    const quint64 serial = m_shared->serials[lane].fetchAndAddOrdered(1) + 1;
    if (m_shared->pending++ == 0 && m_shared->busyChanged)
        m_shared->busyChanged(true);
    QMetaObject::invokeMethod(
        m_context,
        [shared = m_shared, connection = m_connection, receiver = m_receiver, lane, serial, read = std::move(read),
         apply = std::move(apply)]() mutable {
            bool ran = false;
            if (shared->current(lane, serial)) {
                QString error;
                const bool wasOpen = connection->reader.has_value();
                Reader* reader = connection->open(&error);
                if (!read(reader, error)) {
                    connection->close();
                    // A connection kept from before may have lost a server
                    // that restarted since: once more on a new one.
                    if (wasOpen && shared->current(lane, serial)) {
                        error.clear();
                        reader = connection->open(&error);
                        if (!read(reader, error))
                            connection->close();
                    }
                }
                ran = true;
            }
            QMetaObject::invokeMethod(
                receiver,
                [shared, lane, serial, ran, apply = std::move(apply)] {
                    if (ran && shared->current(lane, serial))
                        apply();
                    if (--shared->pending == 0 && shared->busyChanged)
                        shared->busyChanged(false);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

}  // namespace registro
