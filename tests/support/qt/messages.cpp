#include "support/qt/messages.h"

#include <QMessageBox>
#include <QWidget>

namespace kapsorel::test {

QStringList messages(const QWidget& w, const QString& name)
{
    QStringList out;
    const auto boxes = name.isEmpty() ? w.findChildren<QMessageBox*>() : w.findChildren<QMessageBox*>(name);
    for (const QMessageBox* box : boxes)
        out << box->text();
    return out;
}

} // namespace kapsorel::test
