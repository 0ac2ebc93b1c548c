// The system's printer as the program meets it: a CUPS scheduler of the
// test's own (on a socket in a scratch folder, its queue keeping what it is
// sent) is the default printer.
#include "ui/QtPrinter.h"

#include "support/PdfText.h"

#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class CupsPrinterTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QProcess scheduler;

    QString run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    }
    QString log() const
    {
        QFile file(dir.filePath(u"log/error_log"_s));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
    // Every job the queue was sent, done or not.
    QStringList jobs() { return run(u"lpstat"_s, {u"-W"_s, u"all"_s, u"-o"_s, u"prova"_s}).split(u'\n', Qt::SkipEmptyParts); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeGroup | QFile::ExeOther));
        // Root's scheduler works as lp; anyone else's as themselves.
        const QString users = ::geteuid() == 0
                                  ? u"User lp\nGroup lp\nSystemGroup root\n"_s
                                  : u"User %1\nSystemGroup %2\n"_s.arg(
                                        QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name),
                                        QString::fromLocal8Bit(::getgrgid(::getegid())->gr_name));
        const QString socket = dir.filePath(u"cups.sock"_s);
        for (const QString& sub : {u"spool"_s, u"cache"_s, u"state"_s, u"log"_s})
            QVERIFY(QDir(dir.path()).mkdir(sub));
        QFile conf(dir.filePath(u"cupsd.conf"_s));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(u"Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\nPreserveJobFiles Yes\n"
                   u"DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                   u"<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n"_s.arg(socket)
                       .toUtf8());
        conf.close();
        QFile files(dir.filePath(u"cups-files.conf"_s));
        QVERIFY(files.open(QIODevice::WriteOnly));
        files.write(u"FileDevice Yes\nServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
                    u"TempDir %1/spool\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                    u"PageLog %1/log/page_log\n"_s.arg(dir.path()).toUtf8() +
                    users.toUtf8());
        files.close();
        scheduler.setProcessChannelMode(QProcess::MergedChannels);
        scheduler.start(QStringLiteral(CUPSD), {u"-f"_s, u"-c"_s, conf.fileName(), u"-s"_s, files.fileName()});
        QVERIFY(scheduler.waitForStarted());
        // The program, Qt's printing and the CUPS tools find it here.
        qputenv("CUPS_SERVER", QFile::encodeName(socket));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket) || scheduler.state() != QProcess::Running, 20000);
        QVERIFY2(scheduler.state() == QProcess::Running,
                 qPrintable(QString::fromLocal8Bit(scheduler.readAll()) + log()));
        QTRY_VERIFY_WITH_TIMEOUT(run(u"lpstat"_s, {u"-r"_s}).contains(u"scheduler is running"_s), 20000);
        const QString added = run(QStringLiteral(LPADMIN), {u"-p"_s, u"prova"_s, u"-v"_s, u"file:///dev/null"_s, u"-E"_s});
        QVERIFY2(run(QStringLiteral(LPADMIN), {u"-d"_s, u"prova"_s}).isEmpty(), qPrintable(added));
        QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), u"prova"_s);
    }

    void cleanupTestCase()
    {
        scheduler.terminate();
        scheduler.waitForFinished(10000);
    }

    // A job dropped halfway (a window closed, an error met) reaches no
    // printer; a job ended is sent once, whole.
    void onlyAJobThatIsEndedIsSent()
    {
        {
            ui::QtPrinter printer{QString()};
            printer.printLine(u"Scheda 1 di 2"_s);
            printer.newPage();
            printer.printLine(u"Scheda 2 di 2"_s);
        }
        QTest::qWait(500);
        QCOMPARE(jobs(), QStringList());

        {
            ui::QtPrinter printer{QString()};
            printer.printLine(u"ATTESTATO DI MERITO"_s);
            printer.newPage();
            printer.printLine(u"Giulia"_s);
            QVERIFY(printer.endDocument().ok);
        }
        QTRY_COMPARE_WITH_TIMEOUT(jobs().size(), 1, 20000);
        // The queue keeps what it was sent.
        const QStringList documents = QDir(dir.filePath(u"spool"_s)).entryList({u"d*"_s}, QDir::Files);
        QCOMPARE(documents.size(), 1);
        const QString text = testing_support::runTool(u"pdftotext"_s, {dir.filePath(u"spool/"_s + documents[0]), u"-"_s});
        QVERIFY2(text.contains(u"ATTESTATO DI MERITO"_s) && text.contains(u"\fGiulia"_s), qPrintable(text));
    }
};

QTEST_MAIN(CupsPrinterTest)
#include "CupsPrinterTest.moc"
