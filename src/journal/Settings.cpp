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
            *error = u"porta non valida: "_s + value;
            return false;
        }
        s.port = port;
    } else if (k == u"database" || k == u"dbname")
        s.database = value;
    else if (k == u"user")
        s.user = value;
    else if (k == u"teacher")
        s.teacherUser = value;
    else if (k == platform::kFolderSharingKey) {
        const std::optional<platform::FolderSharing> folder = platform::parseFolderSharing(value);
        if (!folder) {
            *error = u"cartella deve essere privata o condivisa, non "_s + value;
            return false;
        }
        s.folder = *folder;
    } else {
        *error = u"voce sconosciuta: "_s + key;
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
    static const QRegularExpression lineBreak(u"[\r\n;]+"_s);
    static const QRegularExpression keyStart(u"([A-Za-z_]+)\\s*=\\s*"_s);
    for (const QString& raw : text.split(lineBreak, Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        auto keys = keyStart.globalMatch(line);
        if (!keys.hasNext() || keys.peekNext().capturedStart() != 0) {
            *error = u"riga non valida: "_s + line;
            return std::nullopt;
        }
        while (keys.hasNext()) {
            const auto key = keys.next();
            const qsizetype valueEnd = keys.hasNext() ? keys.peekNext().capturedStart() : line.size();
            const QString value = line.mid(key.capturedEnd(), valueEnd - key.capturedEnd()).trimmed();
            if (!setKey(s, key.captured(1), value, error)) return std::nullopt;
            namesServer = namesServer || key.captured(1).compare(platform::kFolderSharingKey, Qt::CaseInsensitive) != 0;
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
    if (!where.server && !error.isEmpty()) where.problem = u"Le impostazioni del server del registro ("_s + source + u") non sono valide: "_s + error + u"."_s;
    return where;
}

}  // namespace journal
