#include "ui/common/qt_ui_bridge.h"

#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace kapsorel::ui {

namespace {

// A worker's call waiting for the GUI thread.
struct PendingCall {
    std::mutex mutex;
    std::condition_variable over;
    bool done = false;
};

// Held by the function posted for a call: when that function is done with, run or dropped
// unrun with its queue, the worker goes on.
struct CallEnd {
    explicit CallEnd(std::shared_ptr<PendingCall> c) : call(std::move(c)) {}
    ~CallEnd()
    {
        {
            std::lock_guard lock(call->mutex);
            call->done = true;
        }
        call->over.notify_all();
    }
    CallEnd(const CallEnd&) = delete;
    CallEnd& operator=(const CallEnd&) = delete;

    std::shared_ptr<PendingCall> call;
};

} // namespace

QtUiBridge::QtUiBridge(UiBridge& target, QObject* parent)
    : QObject(parent), target_(&target), queue_(new GuiQueue(this))
{
}

QtUiBridge::QtUiBridge(QObject* parent) : QObject(parent), queue_(new GuiQueue(this)) {}

void QtUiBridge::attach(UiBridge& target)
{
    target_ = &target;
    for (const auto& text : held_)
        target.showMessage(text);
    held_.clear();
}

void QtUiBridge::call(const std::function<void(UiBridge&)>& action)
{
    call([this, &action] {
        if (target_)
            action(*target_);
    });
}

void QtUiBridge::call(const std::function<void()>& action)
{
    if (closed_.load())
        return;
    if (QThread::currentThread() == thread()) {
        action();
        return;
    }
    waiting_.fetch_add(1);
    auto pending = std::make_shared<PendingCall>();
    queue_->post([this, &action, end = std::make_shared<CallEnd>(pending)] {
        (void)end; // held until the posted function is done with
        if (!closed_.load())
            action();
    });
    {
        std::unique_lock lock(pending->mutex);
        pending->over.wait(lock, [&] { return pending->done; });
    }
    waiting_.fetch_sub(1);
}

void QtUiBridge::showMessage(const std::string& text)
{
    call([&] {
        // Told before the window exists (the configuration read at start-up): shown once it does.
        if (target_)
            target_->showMessage(text);
        else
            held_.push_back(text);
    });
}

void QtUiBridge::runStoppedOnLostModule()
{
    call([&](UiBridge& t) { t.runStoppedOnLostModule(); });
}

void QtUiBridge::errorAlarm(const std::string& text)
{
    call([&](UiBridge& t) { t.errorAlarm(text); });
}

void QtUiBridge::faultsChanged(std::uint16_t faultBits)
{
    call([&](UiBridge& t) { t.faultsChanged(faultBits); });
}

void QtUiBridge::statusText(const std::string& text)
{
    call([&](UiBridge& t) { t.statusText(text); });
}

void QtUiBridge::signallingPrompt(const std::string& text)
{
    call([&] {
        if (target_)
            target_->signallingPrompt(text);
        emit signallingPrompted(QString::fromStdString(text));
    });
}

void QtUiBridge::questionPrompt(const std::string& text)
{
    call([&] {
        if (target_)
            target_->questionPrompt(text);
        emit questionPrompted(QString::fromStdString(text));
    });
}

void QtUiBridge::runEnded()
{
    call([&] {
        if (target_)
            target_->runEnded();
        emit runFinished();
    });
}

void QtUiBridge::refreshDisplay()
{
    call([&](UiBridge& t) { t.refreshDisplay(); });
}

void QtUiBridge::addStepRow(std::uint8_t step)
{
    call([&](UiBridge& t) { t.addStepRow(step); });
}

} // namespace kapsorel::ui
