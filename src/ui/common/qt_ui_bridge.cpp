#include "ui/common/qt_ui_bridge.h"

#include <QMetaObject>
#include <QThread>

namespace kapsorel::ui {

QtUiBridge::QtUiBridge(UiBridge& target, QObject* parent) : QObject(parent), target_(&target) {}

QtUiBridge::QtUiBridge(QObject* parent) : QObject(parent) {}

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
    QMetaObject::invokeMethod(
        this,
        [this, &action] {
            if (!closed_.load())
                action();
        },
        Qt::BlockingQueuedConnection);
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
    call([&](UiBridge& t) { t.signallingPrompt(text); });
}

void QtUiBridge::questionPrompt(const std::string& text)
{
    call([&](UiBridge& t) { t.questionPrompt(text); });
}

void QtUiBridge::runEnded()
{
    call([&](UiBridge& t) { t.runEnded(); });
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
