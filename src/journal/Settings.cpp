#include "journal/Settings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

// Settings files are a few lines; anything larger is not one.
constexpr qint64 kMaxConfBytes = 64 * 1024;

bool setKey(ServerSettings& s, const QString& key, const QString& value, QString* error)
{
    const QString k = key.toLower();
    if (k == u"host")
        s.host = value;
    else if (k == u"port") {
        bool ok = false;
        const int port = value.toInt(&ok);
        if (!ok || port < 1 || port > 65535) {
            *error = u"la porta non è valida"_s;
            return false;
        }
        s.port = port;
    } else if (k == u"database" || k == u"dbname")
        s.database = value;
    else if (k == u"user")
        s.user = value;
    else if (k == u"teacher")
        s.teacherUser = value;
    else if (k == u"sslmode") {
        static const QStringList modes{u"disable"_s, u"allow"_s,     u"prefer"_s,
                                       u"require"_s, u"verify-ca"_s, u"verify-full"_s};
        if (!modes.contains(value)) {
            *error = u"sslmode non è valido (disable, allow, prefer, require, verify-ca o verify-full)"_s;
            return false;
        }
        s.sslMode = value;
    } else if (k == u"sslrootcert")
        s.sslRootCert = value;
    else if (k == platform::kFolderSharingKey) {
        const std::optional<platform::FolderSharing> folder = platform::parseFolderSharing(value);
        if (!folder) {
            *error = u"la voce cartella dev'essere «privata» o «condivisa»"_s;
            return false;
        }
        s.folder = *folder;
    }
    else if (k == u"conserva") {
        const std::optional<int> months = parseKeepMonths(value);
        if (!months) {
            *error = u"la voce conserva dev'essere come «2 anni» o «18 mesi»"_s;
            return false;
        }
        s.keepMonths = *months;
    }
    else if (k == kClassKey)
        s.className = value;
    else if (k == u"password") {
        *error = u"la password non va scritta qui, ma nel file .pgpass dell'utente"_s;
        return false;
    } else {
        // The key alone: it is a word of the settings, not a value.
        *error = u"la voce «"_s + key.left(40) + u"» è sconosciuta"_s;
        return false;
    }
    return true;
}

}  // namespace

std::optional<ServerSettings> parseServerSettings(const QString& text, QString* error)
{
    QString ignored;
    if (!error) error = &ignored;
    ServerSettings s;
    bool namesServer = false;
    // Lines of the file, or the variable's parts between semicolons; each
    // holds one "key = value" or several "key=value" words.
    // Lines numbered as an editor numbers them (the variable is line 1),
    // each cut at semicolons into parts.
    static const QRegularExpression keyStart(u"([A-Za-z_]+)\\s*=\\s*"_s);
    QList<std::pair<qsizetype, QString>> lines;
    const QStringList fileLines = text.split(u'\n');
    for (qsizetype n = 0; n < fileLines.size(); ++n)
        for (const QString& part : fileLines[n].split(u';')) lines.append({n + 1, part});
    for (const auto& [number, raw] : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QString where = u"riga "_s + QString::number(number) + u": "_s;
        auto keys = keyStart.globalMatch(line);
        if (!keys.hasNext() || keys.peekNext().capturedStart() != 0) {
            *error = where + u"non è nella forma «voce = valore»"_s;
            return std::nullopt;
        }
        while (keys.hasNext()) {
            const auto key = keys.next();
            const qsizetype valueEnd = keys.hasNext() ? keys.peekNext().capturedStart() : line.size();
            const QString value = line.mid(key.capturedEnd(), valueEnd - key.capturedEnd()).trimmed();
            if (!setKey(s, key.captured(1), value, error)) {
                *error = where + *error;
                return std::nullopt;
            }
            namesServer = namesServer || (key.captured(1).compare(platform::kFolderSharingKey, Qt::CaseInsensitive) != 0 &&
                                          key.captured(1).compare(u"conserva"_s, Qt::CaseInsensitive) != 0 &&
                                          key.captured(1).compare(kClassKey, Qt::CaseInsensitive) != 0);
        }
    }
    if (!namesServer) {
        error->clear();  // no server: not a mistake
        return std::nullopt;
    }
    if (s.host.isEmpty() || s.database.isEmpty() || s.user.isEmpty()) {
        *error = u"servono almeno host, database e user"_s;
        return std::nullopt;
    }
    return s;
}

std::optional<int> parseKeepMonths(const QString& value)
{
    static const QRegularExpression form(u"^([0-9]{1,3})\\s+(anni|anno|mesi|mese)$"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    const auto match = form.match(value.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    const int n = match.captured(1).toInt();
    const bool years = match.captured(2).startsWith(u"ann"_s, Qt::CaseInsensitive);
    if (n < 1) return std::nullopt;
    return years ? n * 12 : n;
}

QString ServerSettings::effectiveSslMode() const
{
    if (!sslMode.isEmpty()) return sslMode;
    if (!sslRootCert.isEmpty()) return u"verify-full"_s;
    // A socket folder or this machine: nothing crosses a network.
    if (host.startsWith(u'/') || host == u"localhost" || host == u"127.0.0.1" || host == u"::1") return {};
    return u"require"_s;
}

Location locate(const QString& workingDir, const QProcessEnvironment& environment)
{
    Location where;
    where.localFile = QDir(workingDir).absoluteFilePath(kLocalFileName);

    QString text;
    QString source;
    if (const QString variable = environment.value(kServerVariable); !variable.trimmed().isEmpty()) {
        text = variable;
        source = kServerVariable;
    } else {
        QFile conf(QDir(workingDir).filePath(kConfFileName));
        if (!conf.exists()) return where;
        source = kConfFileName;
        if (conf.size() > kMaxConfBytes || !conf.open(QIODevice::ReadOnly)) {
            where.problem = u"Il file "_s + kConfFileName + u" non si può leggere."_s;
            return where;
        }
        text = QString::fromUtf8(conf.readAll());
    }
    QString error;
    where.server = parseServerSettings(text, &error);
    // Kept for the local file as well: the key alone names no server.
    if (where.server)
        where.keepMonths = where.server->keepMonths;
    else if (error.isEmpty()) {
        static const QRegularExpression keep(u"(?:^|[\\n;])\\s*conserva\\s*=\\s*([^\\n;]*)"_s,
                                             QRegularExpression::CaseInsensitiveOption);
        for (auto found = keep.globalMatch(text); found.hasNext();)
            where.keepMonths = parseKeepMonths(found.next().captured(1)).value_or(0);
    }
    if (!where.server && !error.isEmpty()) where.problem = u"Le impostazioni del server del registro ("_s + source + u") non sono valide: "_s + error + u"."_s;
    return where;
}

QString servedClass(const QString& workingDir)
{
    QFile conf(QDir(workingDir).filePath(kConfFileName));
    if (conf.size() > kMaxConfBytes || !conf.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression line(u"^\\s*classe\\s*=\\s*(.*?)\\s*$"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    QString found;
    for (const QString& text : QString::fromUtf8(conf.readAll()).split(u'\n'))
        if (const auto match = line.match(text); match.hasMatch()) found = match.captured(1);
    return found;
}

}  // namespace journal
