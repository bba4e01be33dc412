#include "ui/common/open_progress.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <memory>

namespace kapsorel::ui {

namespace {

constexpr int kSteps = 1000;
// How often the dialog takes the fraction the reading thread reported.
constexpr int kPollMs = 50;

// Holds back input to one window while a file is read for it.
class InputHold final : public QObject {
  public:
    explicit InputHold(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!window_ || !watched->isWidgetType())
            return false;
        if (static_cast<QWidget*>(watched)->window() != window_)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
            return true;
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

  private:
    QPointer<QWidget> window_;
};

} // namespace

OpenProgressDialog::OpenProgressDialog(QWidget* parent, const QString& title, const QString& label)
    : dialog_(new QProgressDialog(label, QStringLiteral("Zrušit"), 0, kSteps, parent)), parent_(parent)
{
    dialog_->setObjectName(QStringLiteral("openProgress"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(kOpenProgressDelayMs);
    dialog_->setValue(0); // starts the clock the delay is measured by
}

OpenProgressDialog::~OpenProgressDialog()
{
    delete dialog_;
}

void OpenProgressDialog::run(const Reading& read)
{
    // Shared with the reading thread: plain values through atomics only.
    auto permille = std::make_shared<std::atomic<int>>(0);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    const OpenProgress progress = [permille](double fraction) {
        permille->store(static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kSteps)),
                        std::memory_order_relaxed);
    };

    InputHold hold(parent_ ? parent_->window() : nullptr);
    QEventLoop loop;
    QObject::connect(dialog_, &QProgressDialog::canceled, &loop,
                     [cancel] { cancel->store(true, std::memory_order_relaxed); });
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [this, permille, cancel] {
        if (dialog_->wasCanceled())
            cancel->store(true, std::memory_order_relaxed);
        const int value = permille->load(std::memory_order_relaxed);
        if (!dialog_->wasCanceled() && value != dialog_->value())
            dialog_->setValue(value);
    });
    std::unique_ptr<QThread> thread(QThread::create([&read, progress, cancel] { read(progress, *cancel); }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    poll.start();
    thread->start();
    loop.exec();
    thread->wait();
    poll.stop();
    dialog_->hide();
}

} // namespace kapsorel::ui
