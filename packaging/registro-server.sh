#!/bin/sh
# Sets up a school's PostgreSQL server for the results journal: the database,
# its tables, the pupils' group role and the teacher's role, and, one at a
# time, a login role for each pupils' machine. Run it again after an update:
# it applies the newer tables and leaves the entries alone.
#
#   registro-server.sh [-d DATABASE] [-a PUPILS_GROUP] [-t TEACHER_ROLE]
#                      [--macchina NAME] [--tls FOLDER [--nome-server NAMES] [--rete ADDRESSES]]
#                      [--conserva "2 anni"]
#
# --conserva removes the runs older than that ("N anni" or "N mesi") with
# everything of them, as the teacher's copy does where registro.conf says
# "conserva = 2 anni"; for a cron job on the server. The removal is recorded
# in journal_audit.
# --macchina NAME makes the login role registro_m_<name> for the machine
# whose host name (what `hostname` prints there) is NAME: it may add only the
# entries of that machine, which PostgreSQL enforces with row-level security.
# The role's name is NAME in lower case with every character other than a
# letter, a digit or _ made _; the table machine_roles keeps which machine
# each role writes for.
#
# --tls FOLDER makes the school's own certificate authority in FOLDER (its
# key stays there, out of the data directory; made once, then reused) and
# the server's certificate for NAMES (comma-separated host names and
# addresses the machines use; this host's name by default), turns on ssl,
# and puts in pg_hba.conf, first, "hostssl" lines with SCRAM for the
# journal's roles from ADDRESSES ("all" by default) and a line that refuses
# every unencrypted connection to the journal's database; older plain
# "host" lines for that database are commented out. When pg_hba.conf cannot
# be written it prints the lines to add. It reloads the server and names the
# one file to copy to each machine, ca.crt. It must run on the server.
#
# The pupils' group role may log in only where a school already uses it as
# one shared login (it was given a password): new machines get roles of their
# own.
#
# It connects as a PostgreSQL superuser the way psql does (PGHOST, PGPORT,
# PGUSER...), e.g. `runuser -u postgres -- registro-server.sh` as root on the
# server. The passwords come from REGISTRO_PASSWORD_DOCENTI,
# REGISTRO_PASSWORD_MACCHINA (and REGISTRO_PASSWORD_ALUNNI for the shared
# login), or are asked on the terminal when a role is new. The server is sent
# only their SCRAM-SHA-256 verifiers, made here by registro-password, so no
# password reaches its statement log.
set -eu

program=${0##*/}
usage() {
    echo "uso: $program [-d DATABASE] [-a RUOLO_ALUNNI] [-t RUOLO_DOCENTI] [--macchina NOME]" \
        "[--tls CARTELLA [--nome-server NOMI] [--rete INDIRIZZI]] [--conserva \"2 anni\"]" >&2
    exit 2
}

database=registro
pupils=registro_alunni
teacher=registro_docenti
machine=
tls=
server_names=
network=all
keep=
while [ $# -gt 0 ]; do
    case $1 in
        -d | -a | -t | --macchina | --tls | --nome-server | --rete | --conserva)
            [ $# -ge 2 ] || usage
            case $1 in
                -d) database=$2 ;;
                -a) pupils=$2 ;;
                -t) teacher=$2 ;;
                --macchina) machine=$2 ;;
                --tls) tls=$2 ;;
                --nome-server) server_names=$2 ;;
                --rete) network=$2 ;;
                --conserva) keep=$2 ;;
            esac
            shift 2 ;;
        *) usage ;;
    esac
done

# "2 anni" as PostgreSQL's "2 years".
span=
if [ -n "$keep" ]; then
    span=$(printf '%s\n' "$keep" | sed -n -e 's/^ *\([0-9]\{1,3\}\) *ann[io] *$/\1 years/p' \
        -e 's/^ *\([0-9]\{1,3\}\) *mes[ei] *$/\1 months/p')
    case $span in
        '' | 0\ *) echo "$program: --conserva vuole un tempo come \"2 anni\" o \"18 mesi\"" >&2; exit 2 ;;
    esac
fi

# A host name: letters, digits, dots and hyphens, as the machine reports it.
machine_role=
if [ -n "$machine" ]; then
    case $machine in
        *[!A-Za-z0-9._-]* | [.-]*)
            echo "$program: il nome della macchina può avere solo lettere, cifre, punti e trattini" >&2
            exit 2 ;;
    esac
    [ ${#machine} -le 50 ] || { echo "$program: il nome della macchina è più lungo di 50 caratteri" >&2; exit 2; }
    machine_role=registro_m_$(printf '%s' "$machine" | tr 'A-Z' 'a-z' | tr -c 'a-z0-9_' '_')
fi

# The numbered table files: beside this script once installed, in the
# source tree otherwise.
here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
sql=$here/sql
[ -d "$sql" ] || sql=$here/../src/journal/sql
[ -d "$sql" ] || { echo "$program: mancano i file delle tabelle ($sql)" >&2; exit 1; }

# The verifier tool: REGISTRO_PASSWORD_TOOL, else beside this script, else
# beside the program (the installed tree; the build fills in this path).
tools=../../../libexec/aritmetica
password_tool=${REGISTRO_PASSWORD_TOOL:-}
for candidate in "$here/registro-password" "$here/$tools/registro-password"; do
    [ -n "$password_tool" ] || [ ! -x "$candidate" ] || password_tool=$candidate
done

psql_admin() {
    psql -X -q -v ON_ERROR_STOP=1 "$@"
}

role_exists() {
    # Variables are filled in only in what psql reads, not in -c.
    [ -n "$(echo "SELECT 1 FROM pg_roles WHERE rolname = :'role'" | psql_admin -d postgres -tA -v role="$1")" ]
}

# A new role without a password given is asked for one, when there is a
# terminal to ask on.
ask_password() {
    role=$1
    variable=$2
    eval "value=\${$variable-}"
    if [ -z "$value" ] && [ -t 0 ]; then
        if ! role_exists "$role"; then
            printf 'Password per il ruolo %s: ' "$role" >&2
            stty -echo; read -r value; stty echo; echo >&2
            export "$variable=$value"
        fi
    fi
}
# The pupils' group is not asked: it logs in only where it already did.
ask_password "$teacher" REGISTRO_PASSWORD_DOCENTI
if [ -n "$machine_role" ]; then
    ask_password "$machine_role" REGISTRO_PASSWORD_MACCHINA
    if [ -z "${REGISTRO_PASSWORD_MACCHINA-}" ] && ! role_exists "$machine_role"; then
        echo "$program: serve una password per il ruolo $machine_role (REGISTRO_PASSWORD_MACCHINA o dal terminale)" >&2
        exit 1
    fi
fi

# A password given becomes its verifier; the password itself goes no further
# than the tool's standard input (printf is built into the shell).
verifier() {
    eval "value=\${$1-}"
    [ -n "$value" ] || return 0
    if [ -z "$password_tool" ]; then
        echo "$program: manca registro-password, che prepara le password per il server" >&2
        exit 1
    fi
    printf '%s' "$value" | "$password_tool"
}
REGISTRO_VERIFIER_ALUNNI=$(verifier REGISTRO_PASSWORD_ALUNNI)
REGISTRO_VERIFIER_DOCENTI=$(verifier REGISTRO_PASSWORD_DOCENTI)
REGISTRO_VERIFIER_MACCHINA=
[ -z "$machine_role" ] || REGISTRO_VERIFIER_MACCHINA=$(verifier REGISTRO_PASSWORD_MACCHINA)
export REGISTRO_VERIFIER_ALUNNI REGISTRO_VERIFIER_DOCENTI REGISTRO_VERIFIER_MACCHINA
unset REGISTRO_PASSWORD_ALUNNI REGISTRO_PASSWORD_DOCENTI REGISTRO_PASSWORD_MACCHINA

# A machine's role is its own: one already kept for another machine (the
# same name but for case or punctuation) is not taken over.
if [ -n "$machine_role" ]; then
    other=$(psql_admin -d "$database" -tA -v role="$machine_role" -v machine="$machine" 2>/dev/null <<'SQL' || true
SELECT machine FROM machine_roles WHERE (role = :'role') <> (machine = :'machine')
SQL
)
    if [ -n "$other" ]; then
        echo "$program: il ruolo $machine_role o la macchina $machine è già di un'altra macchina ($other)" >&2
        exit 1
    fi
fi

# The roles and the database; verifiers travel in the environment, never on
# a command line that `ps` shows.
psql_admin -d postgres -v db="$database" -v pupils="$pupils" -v teacher="$teacher" -v machine_role="$machine_role" <<'SQL'
SELECT format('CREATE ROLE %I NOLOGIN', :'pupils') WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = :'pupils')
\gexec
SELECT format('CREATE ROLE %I LOGIN', :'teacher') WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = :'teacher')
\gexec
\set pw_pupils ''
\set pw_teacher ''
\set pw_machine ''
\getenv pw_pupils REGISTRO_VERIFIER_ALUNNI
\getenv pw_teacher REGISTRO_VERIFIER_DOCENTI
\getenv pw_machine REGISTRO_VERIFIER_MACCHINA
-- A password for the group: the school logs in with it as one shared login.
SELECT format('ALTER ROLE %I LOGIN PASSWORD %L', :'pupils', :'pw_pupils') WHERE :'pw_pupils' <> ''
\gexec
SELECT format('CREATE ROLE %I LOGIN', :'machine_role')
    WHERE :'machine_role' <> '' AND NOT EXISTS (SELECT FROM pg_roles WHERE rolname = :'machine_role')
\gexec
SELECT format('GRANT %I TO %I', :'pupils', :'machine_role') WHERE :'machine_role' <> ''
\gexec
SELECT format('ALTER ROLE %I PASSWORD %L', :'machine_role', :'pw_machine') WHERE :'pw_machine' <> ''
\gexec
SELECT format('ALTER ROLE %I PASSWORD %L', :'teacher', :'pw_teacher') WHERE :'pw_teacher' <> ''
\gexec
SELECT format('CREATE DATABASE %I', :'db') WHERE NOT EXISTS (SELECT FROM pg_database WHERE datname = :'db')
\gexec
SELECT format('REVOKE ALL ON DATABASE %I FROM PUBLIC', :'db')
\gexec
SELECT format('GRANT CONNECT ON DATABASE %I TO %I, %I', :'db', :'pupils', :'teacher')
\gexec
SQL

# The tables, one numbered file at a time, each in its own transaction.
psql_admin -d "$database" -c \
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY, name TEXT NOT NULL)"
current=$(psql_admin -d "$database" -tA -c "SELECT coalesce(max(version), 0) FROM schema_version")
for file in "$sql"/[0-9]*.sql; do
    name=${file##*/}
    version=$(printf '%s\n' "${name%%-*}" | sed 's/^0*//')
    [ "${version:-0}" -gt "$current" ] || continue
    # The server's own part of a file (its tables and triggers) comes first:
    # a trigger's lock holds the machines' rows back until the file is done.
    { [ ! -f "$sql/postgresql/$name" ] || cat "$sql/postgresql/$name"; cat "$file"
      printf "\nINSERT INTO schema_version (version, name) VALUES (%s, '%s');\n" "$version" "$name"; } |
        psql_admin -d "$database" --single-transaction
    echo "tabelle: $name"
done

# Who may do what. The database enforces it: the pupils' roles cannot read a
# single entry, not even their own, and a machine's role adds only rows of
# its own machine (row-level security).
psql_admin -d "$database" -v pupils="$pupils" -v teacher="$teacher" -v machine_role="$machine_role" \
    -v machine="$machine" <<'SQL'
REVOKE ALL ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO :"pupils", :"teacher";

-- Which machine each machine's role writes for. Only this script reads it,
-- and the functions below on the roles' behalf.
CREATE TABLE IF NOT EXISTS machine_roles (
  role    TEXT PRIMARY KEY,
  machine TEXT NOT NULL UNIQUE
);
INSERT INTO machine_roles (role, machine) SELECT :'machine_role', :'machine' WHERE :'machine_role' <> ''
    ON CONFLICT (role) DO NOTHING;

-- The machine of the session's login: SET ROLE cannot change it.
CREATE OR REPLACE FUNCTION registro_machine() RETURNS TEXT
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ SELECT machine FROM machine_roles WHERE role = session_user $$;
-- Whether the session may add a row of this machine: a machine's role only
-- its own, the shared login (the group itself, where a school has it) any.
SELECT format($f$
CREATE OR REPLACE FUNCTION registro_may_write(row_machine TEXT) RETURNS BOOLEAN
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ SELECT CASE WHEN EXISTS (SELECT 1 FROM machine_roles WHERE role = session_user)
                      THEN EXISTS (SELECT 1 FROM machine_roles WHERE role = session_user AND machine = row_machine)
                      ELSE session_user = %L END $$
$f$, :'pupils')
\gexec
-- A run's rows (operations, ends, names) only for the session's own runs:
-- the pupils cannot read runs, the function can.
CREATE OR REPLACE FUNCTION registro_run_writable(run TEXT) RETURNS BOOLEAN
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ SELECT EXISTS (SELECT 1 FROM runs WHERE id = run AND registro_may_write(machine)) $$;
-- A run's row that arrives after its run was erased or removed as too old
-- is dropped, so that the machine's later rows still go through.
CREATE OR REPLACE FUNCTION registro_drop_orphan() RETURNS trigger
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp
    AS $$ BEGIN
        IF NOT EXISTS (SELECT 1 FROM runs WHERE id = NEW.run_id) THEN RETURN NULL; END IF;
        RETURN NEW;
    END $$;
-- Removes the runs that started before cutoff_ms (milliseconds since 1970)
-- with their rows, and the sheets printed before it, and records it: the
-- teacher's copy runs it where registro.conf says "conserva", and so does
-- this script with --conserva.
CREATE OR REPLACE FUNCTION registro_remove_older(cutoff_ms BIGINT, by_whom TEXT, at_text TEXT, at_ms BIGINT)
    RETURNS INTEGER LANGUAGE plpgsql SET search_path = public, pg_temp
    AS $$ DECLARE removed INTEGER;
    BEGIN
        DELETE FROM operations WHERE run_id IN (SELECT id FROM runs WHERE started_ms < cutoff_ms);
        DELETE FROM run_ends WHERE run_id IN (SELECT id FROM runs WHERE started_ms < cutoff_ms);
        DELETE FROM pupil_names WHERE run_id IN (SELECT id FROM runs WHERE started_ms < cutoff_ms);
        DELETE FROM runs WHERE started_ms < cutoff_ms;
        GET DIAGNOSTICS removed = ROW_COUNT;
        DELETE FROM sheets WHERE printed_ms < cutoff_ms;
        INSERT INTO journal_audit (id, action, pupil, runs, done_at, done_ms, done_by)
            VALUES (gen_random_uuid()::text, 'conservazione', '', removed, at_text, at_ms, by_whom);
        RETURN removed;
    END $$;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA public FROM PUBLIC;
GRANT EXECUTE ON FUNCTION registro_remove_older(BIGINT, TEXT, TEXT, BIGINT) TO :"teacher";
GRANT EXECUTE ON FUNCTION registro_machine(), registro_may_write(TEXT), registro_run_writable(TEXT) TO :"pupils";

SELECT format('DROP TRIGGER IF EXISTS drop_orphan ON %I', t), format(
    'CREATE TRIGGER drop_orphan BEFORE INSERT ON %I FOR EACH ROW EXECUTE FUNCTION registro_drop_orphan()', t)
    FROM unnest(ARRAY['operations', 'run_ends', 'pupil_names']) t
\gexec

-- Row-level security on the entries, forced on the tables' owner as well.
SELECT format('ALTER TABLE %I ENABLE ROW LEVEL SECURITY', t), format('ALTER TABLE %I FORCE ROW LEVEL SECURITY', t),
       format('DROP POLICY IF EXISTS pupils_add ON %I', t), format('DROP POLICY IF EXISTS teacher_reads ON %I', t),
       format('DROP POLICY IF EXISTS teacher_deletes ON %I', t),
       format('CREATE POLICY pupils_add ON %I FOR INSERT TO %I WITH CHECK (%s)', t, :'pupils',
              CASE WHEN t IN ('runs', 'sheets') THEN 'registro_may_write(machine)' ELSE 'registro_run_writable(run_id)' END),
       format('CREATE POLICY teacher_reads ON %I FOR SELECT TO %I USING (true)', t, :'teacher'),
       format('CREATE POLICY teacher_deletes ON %I FOR DELETE TO %I USING (true)', t, :'teacher')
    FROM unnest(ARRAY['runs', 'operations', 'run_ends', 'pupil_names', 'sheets']) t
\gexec
-- Each run's sums: written by the triggers alone, read by the teacher.
ALTER TABLE run_sums ENABLE ROW LEVEL SECURITY;
ALTER TABLE run_sums FORCE ROW LEVEL SECURITY;
DROP POLICY IF EXISTS teacher_reads ON run_sums;
SELECT format('CREATE POLICY teacher_reads ON run_sums FOR SELECT TO %I USING (true)', :'teacher')
\gexec

REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC, :"pupils", :"teacher";
GRANT INSERT ON runs, operations, run_ends, pupil_names, sheets TO :"pupils";
GRANT SELECT, DELETE ON runs, operations, run_ends, pupil_names, sheets TO :"teacher";
GRANT SELECT ON run_sums TO :"teacher";
-- The class lists: the teacher keeps them, the pupils' machines read them.
GRANT SELECT ON classes, class_pupils TO :"pupils";
GRANT SELECT, INSERT, UPDATE, DELETE ON classes, class_pupils TO :"teacher";
-- Both read the tables' version, to say when this script must be run again.
GRANT SELECT ON schema_version TO :"pupils", :"teacher";
-- Every machine reads who was erased, to erase them from its own file.
GRANT SELECT ON tombstones TO :"pupils";
GRANT SELECT, INSERT ON tombstones, journal_audit TO :"teacher";

-- No pupils' session may see what another sends (pg_stat_activity shows the
-- statements of sessions of the same role, and of the group to its members).
SELECT format('ALTER ROLE %I SET track_activities = off', role)
    FROM (SELECT :'pupils' AS role UNION SELECT role FROM machine_roles) roles
    WHERE EXISTS (SELECT FROM pg_roles WHERE rolname = role)
\gexec
SQL

# Encrypted connections: the school's CA, the server's certificate, ssl on,
# hostssl lines only.
if [ -n "$tls" ]; then
    command -v openssl >/dev/null || { echo "$program: manca openssl" >&2; exit 1; }
    case $network in *[!A-Za-z0-9.:/]*) echo "$program: --rete non valida: $network" >&2; exit 2 ;; esac
    [ -n "$server_names" ] || server_names=$(hostname -f 2>/dev/null || hostname)
    (umask 077 && mkdir -p -- "$tls")
    tls=$(CDPATH='' cd -- "$tls" && pwd)
    san=
    old_ifs=$IFS
    IFS=,
    for name in $server_names; do
        case $name in
            *[!A-Za-z0-9.:-]* | '') echo "$program: nome del server non valido: $name" >&2; exit 2 ;;
            *[!0-9.]* ) case $name in *:*) san="${san:+$san,}IP:$name" ;; *) san="${san:+$san,}DNS:$name" ;; esac ;;
            *) san="${san:+$san,}IP:$name" ;;
        esac
    done
    IFS=$old_ifs
    first_name=${server_names%%,*}
    (
        umask 077
        cd -- "$tls"
        if [ ! -f ca.key ] || [ ! -f ca.crt ]; then
            openssl req -x509 -new -newkey rsa:3072 -noenc -keyout ca.key -out ca.crt -days 3650 -sha256 \
                -subj "/CN=Registro della scuola CA" \
                -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
                2>/dev/null
            echo "autorità dei certificati della scuola: $tls/ca.crt (la chiave ca.key resta qui)"
        fi
        openssl req -new -newkey rsa:3072 -noenc -keyout server.key -out server.csr -subj "/CN=$first_name" \
            2>/dev/null
        printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n' \
            "$san" >server.ext
        openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt -days 825 \
            -sha256 -extfile server.ext 2>/dev/null
        rm -f server.csr server.ext
        chmod 644 ca.crt server.crt
    )
    # The server reads its key itself: it must own it.
    data_dir=$(psql_admin -d "$database" -tA -c "SHOW data_directory")
    hba=$(psql_admin -d "$database" -tA -c "SHOW hba_file")
    if [ "$(id -u)" = 0 ] && [ -d "$data_dir" ]; then
        chown "$(stat -c %u:%g "$data_dir")" "$tls" "$tls/server.key" "$tls/server.crt"
    fi
    psql_admin -d "$database" -v cert="$tls/server.crt" -v key="$tls/server.key" <<'SQL'
ALTER SYSTEM SET ssl_cert_file = :'cert';
ALTER SYSTEM SET ssl_key_file = :'key';
ALTER SYSTEM SET ssl = on;
ALTER SYSTEM SET password_encryption = 'scram-sha-256';
SQL
    lines="# registro-server.sh: il registro solo cifrato (inizio)
hostssl $database +$pupils,$teacher $network scram-sha-256
hostnossl $database all all reject
# registro-server.sh: il registro solo cifrato (fine)"
    if [ -f "$hba" ] && [ -w "$hba" ]; then
        # Ours first (pg_hba.conf is read top down); a plain host line for
        # the journal's database is left as a comment.
        new=$hba.registro-server
        { printf '%s\n' "$lines"
          awk -v db="$database" '
              /^# registro-server.sh: il registro solo cifrato \(inizio\)/ { skip = 1 }
              skip { if (/\(fine\)/) skip = 0; next }
              $1 == "host" && $2 == db { print "# tolta da registro-server.sh: " $0; next }
              { print }' "$hba"
        } >"$new"
        chmod --reference="$hba" "$new" 2>/dev/null || true
        chown --reference="$hba" "$new" 2>/dev/null || true
        mv -- "$new" "$hba"
        echo "pg_hba.conf: righe hostssl scritte in $hba"
    else
        echo "Non posso scrivere $hba: aggiungere in cima queste righe, poi ricaricare PostgreSQL:"
        printf '%s\n' "$lines"
    fi
    psql_admin -d "$database" -tA -c "SELECT pg_reload_conf()" >/dev/null
    if [ "$(psql_admin -d "$database" -tA -c "SELECT count(*) FROM pg_hba_file_rules WHERE error IS NOT NULL")" != 0 ]; then
        echo "$program: pg_hba.conf ha righe non valide (vedi pg_hba_file_rules)" >&2
        exit 1
    fi
    echo "Copiare su ogni macchina il file $tls/ca.crt e indicarlo in registro.conf: sslrootcert = <percorso di ca.crt>"
fi

if [ -n "$span" ]; then
    removed=$(psql_admin -d "$database" -tA -v span="$span" <<'SQL'
SELECT registro_remove_older((extract(epoch FROM now() - :'span'::interval) * 1000)::bigint,
    'registro-server.sh (' || session_user || ')', to_json(now()) #>> '{}', (extract(epoch FROM now()) * 1000)::bigint)
SQL
)
    echo "Conservazione ($keep): tolte $removed esecuzioni più vecchie."
fi

echo "Registro pronto: database $database, ruoli $pupils (alunni) e $teacher (docenti)."
[ -z "$machine_role" ] || echo "Macchina $machine: ruolo $machine_role (user = $machine_role nel suo registro.conf)."
