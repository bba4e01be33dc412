#include "ui/common/refusal.h"

#include <QMessageBox>
#include <QPushButton>

namespace kapsorel::ui {

void showRefusal(QWidget* owner, const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, owner ? owner->window()->windowTitle() : QString(),
                    QString::fromStdString(text), QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("zprava"));
    box.setTextFormat(Qt::PlainText); // names from files are shown as written, never as markup
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole)->setObjectName(QStringLiteral("zprava_ok"));
    box.exec();
}

} // namespace kapsorel::ui
