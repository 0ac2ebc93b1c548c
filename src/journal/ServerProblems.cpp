#include "journal/ServerProblems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace journal {

using namespace Qt::Literals::StringLiterals;

namespace {

// libpq's words in English, and in Italian where libpq or the server speak
// it (their own translations follow the locale).
bool says(const QString& text, std::initializer_list<const char16_t*> words)
{
    for (const char16_t* word : words)
        if (text.contains(QStringView(word), Qt::CaseInsensitive)) return true;
    return false;
}

// The password file libpq reads: PGPASSFILE, else ~/.pgpass.
QString passwordFile()
{
    const QString named = qEnvironmentVariable("PGPASSFILE");
    return named.isEmpty() ? QDir::home().filePath(u".pgpass"_s) : named;
}

}  // namespace

ServerProblem serverProblem(const ServerSettings& server, const QString& libpqText)
{
    const QString name = server.host + u'/' + server.database;
    const QString detail = libpqText.simplified().isEmpty() ? QString() : u" ("_s + libpqText.simplified() + u")"_s;
    const QString kept = u" I risultati restano su questo computer e vengono inviati appena possibile."_s;

    if (says(libpqText, {u"does not support SSL", u"non supporta SSL"}))
        return {u"tls"_s, u"Il server del registro (%1) non accetta connessioni cifrate: il tecnico deve attivarle "
               u"(registro-server.sh --tls)."_s.arg(name) + kept + detail};
    if (says(libpqText, {u"certificat", u"SSL error", u"errore SSL", u"root cert"}))
        return {u"certificate"_s, u"Il certificato del server del registro (%1) non è attendibile: il file sslrootcert non è quello "
               u"della scuola, o il nome del server non è quello del certificato."_s.arg(name) + kept + detail};
    if (says(libpqText, {u"password authentication failed", u"autenticazione con password fallita",
                         u"no password supplied", u"SCRAM", u"channel binding", u"binding del canale",
                         u"associazione di canale"}) ||
        (says(libpqText, {u"role \"", u"il ruolo \""}) && says(libpqText, {u"does not exist", u"non esiste"}))) {
        const QString file = QDir::toNativeSeparators(passwordFile());
        struct stat info {};
        if (::stat(QFile::encodeName(passwordFile()).constData(), &info) != 0)
            return {u"no password file"_s, u"Manca il file delle password del server del registro (%1): il tecnico deve crearlo per questo "
                   u"utente del computer."_s.arg(file) + kept + detail};
        if (info.st_mode & (S_IRWXG | S_IRWXO))
            return {u"open password file"_s, u"Il file delle password del server del registro (%1) può essere letto da altri utenti e per "
                   u"questo non viene usato: deve essere leggibile solo dal suo proprietario (chmod 600)."_s.arg(file) +
                   kept + detail};
        return {u"password"_s, u"Il server del registro (%1) rifiuta l'accesso: la password del ruolo %2 o il ruolo stesso non sono "
               u"giusti."_s.arg(name, server.user) + kept + detail};
    }
    if (says(libpqText, {u"database \"", u"il database \""}) && says(libpqText, {u"does not exist", u"non esiste"}))
        return {u"database"_s, u"Sul server del registro (%1) non c'è il database %2: controllare la voce database di "
               u"registro.conf."_s.arg(server.host, server.database) + kept + detail};
    if (says(libpqText, {u"could not translate host name", u"conversione del nome host"}))
        return {u"host name"_s, u"Il nome del server del registro (%1) non si trova in rete: controllare la voce host di "
               u"registro.conf."_s.arg(server.host) + kept + detail};
    return {u"unreachable"_s, u"Il server del registro (%1) non risponde."_s.arg(name) + kept + detail};
}

}  // namespace journal
