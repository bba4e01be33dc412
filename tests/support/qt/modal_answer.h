// Answers the modal box a test is about to open: the test itself waits inside the box's
// own event loop, so a timer there finds the box, acts on it and closes it.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

class QDialog;

namespace kapsorel::test {

// Watches for the next modal dialog for at most `limit` (not one already up when the
// answer is made), then runs `act` on it. Whatever
// `act` does, the box is closed afterwards (rejected if still open), so a failing test
// fails instead of waiting on a box nobody answers. Watching stops when the answer is
// destroyed: keep it alive until the box has been shown.
class [[nodiscard]] ModalAnswer {
  public:
    explicit ModalAnswer(std::function<void(QDialog*)> act,
                         std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
    ~ModalAnswer();
    ModalAnswer(ModalAnswer&&) noexcept;
    ModalAnswer& operator=(ModalAnswer&&) noexcept;

    // A box was found and acted on.
    bool opened() const { return state_->opened; }
    // The box's text: a question box's "ask_text" label or a QMessageBox's text.
    const QString& text() const { return state_->text; }

  private:
    struct State {
        bool opened = false;
        QString text;
    };
    std::shared_ptr<State> state_;
    std::unique_ptr<QTimer> timer_;
};

// Clicks the button named `button` (an objectName such as "ask_ano") of the next modal box.
ModalAnswer answerNextModal(const QString& button, std::chrono::milliseconds limit = std::chrono::milliseconds(10000));

} // namespace kapsorel::test
