#include "support/qt/modal_answer.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace kapsorel::test {

namespace {

constexpr int kPollMs = 10;

QString textOf(QDialog* box)
{
    if (auto* message = qobject_cast<QMessageBox*>(box))
        return message->text();
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("ask_text")))
        return label->text();
    return {};
}

} // namespace

ModalAnswer::ModalAnswer(std::function<void(QDialog*)> act, std::chrono::milliseconds limit)
    : state_(std::make_shared<State>()), timer_(std::make_unique<QTimer>())
{
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    // A modal window already up (an editor shown modally by the test) is not the box
    // about to open: the answer waits for the next one.
    const QPointer<QWidget> alreadyOpen = QApplication::activeModalWidget();
    QTimer* timer = timer_.get();
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, started, limit, alreadyOpen, state = state_, act = std::move(act)] {
                         QWidget* active = QApplication::activeModalWidget();
                         auto* box = active && active != alreadyOpen ? qobject_cast<QDialog*>(active) : nullptr;
                         if (!box && started->elapsed() < limit.count())
                             return;
                         timer->stop();
                         if (!box)
                             return;
                         state->opened = true;
                         state->text = textOf(box);
                         QPointer<QDialog> guard(box);
                         if (act)
                             act(box);
                         if (guard && guard->isVisible())
                             guard->reject();
                     });
    timer->start(kPollMs);
}

ModalAnswer::~ModalAnswer() = default;
ModalAnswer::ModalAnswer(ModalAnswer&&) noexcept = default;
ModalAnswer& ModalAnswer::operator=(ModalAnswer&&) noexcept = default;

ModalAnswer answerNextModal(const QString& button, std::chrono::milliseconds limit)
{
    return ModalAnswer(
        [button](QDialog* box) {
            if (auto* b = box->findChild<QPushButton*>(button))
                b->click();
        },
        limit);
}

} // namespace kapsorel::test
