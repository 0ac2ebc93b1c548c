#pragma once

#include "journal/Database.h"
#include "journal/LocalStore.h"
#include "journal/Settings.h"
#include "journal/Upkeep.h"

#include <QString>

#include <atomic>
#include <optional>

// The sync worker's side: what the local file's outbox holds, sent on to the
// school's server in batches, each in one transaction on both sides.
namespace journal {

class Sender {
public:
    Sender(const QString& path, const ServerSettings& server) : m_path(path), m_server(server) {}

    // Sends one batch of the outbox. Returns the rows sent, 0 when nothing
    // was waiting, -1 on failure with `fault` and `detail` set.
    long long sendBatch(Fault* fault, QString* detail);
    // Before a pass sends anything: the school's erasures applied to the
    // file (so that an erased pupil's runs are not sent again) and its class
    // lists taken. False on failure, with `fault` and `detail` set.
    bool upkeep(const Done& done, Fault* fault, QString* detail);

    // From another thread: cuts the server's connection, so that a call
    // waiting on a frozen server returns at once (it fails, and what it was
    // sending stays in the outbox).
    void abort();
    // Closes the server's connection; the next batch opens another.
    void disconnect();

private:
    bool connect(Fault* fault, QString* detail);
    bool ensureLocal(QString* detail);
    bool fillOutbox(QString* detail);
    QString m_path;
    ServerSettings m_server;
    Connection m_local;
    std::optional<FileId> m_localId;
    Connection m_remote;
    std::atomic<int> m_socket{-1};
};

}  // namespace journal
