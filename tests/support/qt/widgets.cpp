#include "support/qt/widgets.h"

#include <QComboBox>
#include <QTest>

namespace kapsorel::test {

void choose(QComboBox* box, const QString& text)
{
    QTRY_VERIFY_WITH_TIMEOUT(box->findText(text) >= 0, 20000);
    box->setCurrentIndex(box->findText(text));
}

void snap(QWidget& w, const QString& name)
{
    const QByteArray dir = qgetenv("KAPSOREL_SCREENSHOTS");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace kapsorel::test
