// Qt's own texts speak Italian once the program has loaded them: the
// standard buttons of a message box, the file dialog and its question
// before replacing a file.
#include "ui/QtTranslations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class ItalianTextsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void qtsDialogsSpeakItalian()
    {
        QCOMPARE(QMessageBox(QMessageBox::Question, u"t"_s, u"q"_s, QMessageBox::Yes).button(QMessageBox::Yes)->text(),
                 u"&Yes"_s);
        QVERIFY(ui::installItalianQtTexts());

        QMessageBox box(QMessageBox::Question, u"t"_s, u"q"_s, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), u"&Sì"_s);
        QCOMPARE(box.button(QMessageBox::No)->text(), u"&No"_s);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"Annulla"_s);

        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        QStringList buttons;
        for (const QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
            buttons << button->text();
        buttons.sort();
        QCOMPARE(buttons, QStringList({u"&Salva"_s, u"Annulla"_s}));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
                 u"%1 esiste già.\nVuoi sostituirlo?"_s);
    }
};

QTEST_MAIN(ItalianTextsTest)
#include "ItalianTextsTest.moc"
