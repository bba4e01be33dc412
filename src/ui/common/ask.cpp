#include "ui/common/ask.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace kapsorel::ui {

AskAnswer ask(QWidget* owner, const QString& stationName, const QString& message, bool withCancel)
{
    QDialog box(owner);
    box.setObjectName(QStringLiteral("ask"));
    box.setWindowTitle(stationName);
    box.setModal(true);

    auto* text = new QLabel(QStringLiteral("\n") + message + QStringLiteral("\n"), &box);
    text->setObjectName(QStringLiteral("ask_text"));
    text->setTextFormat(Qt::PlainText); // names from files are shown as written, never as markup
    auto* yes = new QPushButton(QStringLiteral("Ano"), &box);
    yes->setObjectName(QStringLiteral("ask_ano"));
    auto* no = new QPushButton(QStringLiteral("Ne"), &box);
    no->setObjectName(QStringLiteral("ask_ne"));
    yes->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    AskAnswer answer = AskAnswer::Cancel;
    QObject::connect(yes, &QPushButton::clicked, &box, [&] {
        answer = AskAnswer::Yes;
        box.accept();
    });
    QObject::connect(no, &QPushButton::clicked, &box, [&] {
        answer = AskAnswer::No;
        box.accept();
    });
    if (withCancel) {
        auto* cancel = new QPushButton(QStringLiteral("Zruš"), &box);
        cancel->setObjectName(QStringLiteral("ask_zrus"));
        buttons->addWidget(cancel);
        QObject::connect(cancel, &QPushButton::clicked, &box, [&] {
            answer = AskAnswer::Cancel;
            box.accept();
        });
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(text);
    layout->addLayout(buttons);

    if (owner)
        box.move(owner->frameGeometry().topLeft() + QPoint(100, 100));
    box.exec();
    return answer;
}

} // namespace kapsorel::ui
