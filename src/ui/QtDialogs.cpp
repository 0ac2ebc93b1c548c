#include "ui/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {

void QtDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

}  // namespace ui
