#!/bin/sh
# Sets up a school's PostgreSQL server for the results journal: the database,
# its tables, and two roles. The pupils' machines log in as the first, which
# may only add entries; the teacher logs in as the second, which may read and
# delete them. Run it again after an update: it applies the newer tables and
# leaves the entries alone.
#
#   registro-server.sh [-d DATABASE] [-a PUPILS_ROLE] [-t TEACHER_ROLE]
#
# It connects as a PostgreSQL superuser the way psql does (PGHOST, PGPORT,
# PGUSER...), e.g. `sudo -u postgres registro-server.sh` on the server. The
# roles' passwords come from REGISTRO_PASSWORD_ALUNNI and
# REGISTRO_PASSWORD_DOCENTI, or are asked on the terminal when a role is new.
# The server is sent only their SCRAM-SHA-256 verifiers, made here by
# registro-password, so no password reaches its statement log.
set -eu

database=registro
pupils=registro_alunni
teacher=registro_docenti
while getopts d:a:t: option; do
    case $option in
        d) database=$OPTARG ;;
        a) pupils=$OPTARG ;;
        t) teacher=$OPTARG ;;
        *) echo "uso: ${0##*/} [-d DATABASE] [-a RUOLO_ALUNNI] [-t RUOLO_DOCENTI]" >&2; exit 2 ;;
    esac
done

# The numbered table files: beside this script once installed, in the
# source tree otherwise.
here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)
sql=$here/sql
[ -d "$sql" ] || sql=$here/../src/journal/sql
[ -d "$sql" ] || { echo "${0##*/}: mancano i file delle tabelle ($sql)" >&2; exit 1; }

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

# A new role without a password given is asked for one, when there is a
# terminal to ask on.
ask_password() {
    role=$1
    variable=$2
    eval "value=\${$variable-}"
    if [ -z "$value" ] && [ -t 0 ]; then
        exists=$(psql_admin -d postgres -tA -v role="$role" -c "SELECT 1 FROM pg_roles WHERE rolname = :'role'" </dev/null)
        if [ -z "$exists" ]; then
            printf 'Password per il ruolo %s: ' "$role" >&2
            stty -echo; read -r value; stty echo; echo >&2
            export "$variable=$value"
        fi
    fi
}
ask_password "$pupils" REGISTRO_PASSWORD_ALUNNI
ask_password "$teacher" REGISTRO_PASSWORD_DOCENTI

# A password given becomes its verifier; the password itself goes no further
# than the tool's standard input (printf is built into the shell).
verifier() {
    eval "value=\${$1-}"
    [ -n "$value" ] || return 0
    if [ -z "$password_tool" ]; then
        echo "${0##*/}: manca registro-password, che prepara le password per il server" >&2
        exit 1
    fi
    printf '%s' "$value" | "$password_tool"
}
REGISTRO_VERIFIER_ALUNNI=$(verifier REGISTRO_PASSWORD_ALUNNI)
REGISTRO_VERIFIER_DOCENTI=$(verifier REGISTRO_PASSWORD_DOCENTI)
export REGISTRO_VERIFIER_ALUNNI REGISTRO_VERIFIER_DOCENTI
unset REGISTRO_PASSWORD_ALUNNI REGISTRO_PASSWORD_DOCENTI

# The roles and the database; verifiers travel in the environment, never on
# a command line that `ps` shows.
psql_admin -d postgres -v db="$database" -v pupils="$pupils" -v teacher="$teacher" <<'SQL'
SELECT format('CREATE ROLE %I LOGIN', :'pupils') WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = :'pupils')
\gexec
SELECT format('CREATE ROLE %I LOGIN', :'teacher') WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = :'teacher')
\gexec
\set pw_pupils ''
\set pw_teacher ''
\getenv pw_pupils REGISTRO_VERIFIER_ALUNNI
\getenv pw_teacher REGISTRO_VERIFIER_DOCENTI
SELECT format('ALTER ROLE %I PASSWORD %L', :'pupils', :'pw_pupils') WHERE :'pw_pupils' <> ''
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
    { cat "$file"; printf "\nINSERT INTO schema_version (version, name) VALUES (%s, '%s');\n" "$version" "$name"; } |
        psql_admin -d "$database" --single-transaction
    echo "tabelle: $name"
done

# Who may do what. The database enforces it: the pupils' role cannot read a
# single entry, not even its own.
psql_admin -d "$database" -v pupils="$pupils" -v teacher="$teacher" <<'SQL'
REVOKE ALL ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO :"pupils", :"teacher";
REVOKE ALL ON ALL TABLES IN SCHEMA public FROM PUBLIC, :"pupils", :"teacher";
GRANT INSERT ON runs, operations, run_ends, pupil_names, sheets TO :"pupils";
GRANT SELECT, DELETE ON runs, operations, run_ends, pupil_names, sheets TO :"teacher";
-- The class lists: the teacher keeps them, the pupils' machines read them.
GRANT SELECT ON classes, class_pupils TO :"pupils";
GRANT SELECT, INSERT, UPDATE, DELETE ON classes, class_pupils TO :"teacher";
-- Both read the tables' version, to say when this script must be run again.
GRANT SELECT ON schema_version TO :"pupils", :"teacher";
SQL

echo "Registro pronto: database $database, ruoli $pupils (alunni) e $teacher (docenti)."
