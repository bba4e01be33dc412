#include "ui/common/qt_ui_bridge.h"

#include <QMetaObject>
#include <QThread>

namespace kapsorel::ui {

QtUiBridge::QtUiBridge(UiBridge& target, QObject* parent) : QObject(parent), target_(target) {}

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
    call([&] { target_.showMessage(text); });
}

void QtUiBridge::runStoppedOnLostModule()
{
    call([&] { target_.runStoppedOnLostModule(); });
}

void QtUiBridge::errorAlarm(const std::string& text)
{
    call([&] { target_.errorAlarm(text); });
}

void QtUiBridge::faultsChanged(std::uint16_t faultBits)
{
    call([&] { target_.faultsChanged(faultBits); });
}

void QtUiBridge::statusText(const std::string& text)
{
    call([&] { target_.statusText(text); });
}

void QtUiBridge::signallingPrompt(const std::string& text)
{
    call([&] { target_.signallingPrompt(text); });
}

void QtUiBridge::questionPrompt(const std::string& text)
{
    call([&] { target_.questionPrompt(text); });
}

void QtUiBridge::runEnded()
{
    call([&] { target_.runEnded(); });
}

void QtUiBridge::refreshDisplay()
{
    call([&] { target_.refreshDisplay(); });
}

} // namespace kapsorel::ui
