#include "ui/common/gui_queue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <deque>
#include <mutex>

namespace kapsorel::ui {

struct GuiQueue::Poster::State {
    std::mutex mutex;
    std::deque<std::function<void()>> posted;
    QObject* owner = nullptr; // null once the queue is gone
};

void GuiQueue::Poster::operator()(std::function<void()> f) const
{
    if (!state_)
        return;
    std::lock_guard lock(state_->mutex);
    if (!state_->owner)
        return;
    state_->posted.push_back(std::move(f));
    // Under the lock, so the queue cannot go meanwhile. One call per function; a call that
    // finds the queue already emptied does nothing.
    QMetaObject::invokeMethod(state_->owner, "runPosted", Qt::QueuedConnection);
}

GuiQueue::GuiQueue(QObject* parent) : QObject(parent)
{
    poster_.state_ = std::make_shared<Poster::State>();
    poster_.state_->owner = this;
}

GuiQueue::~GuiQueue()
{
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(poster_.state_->mutex);
        poster_.state_->owner = nullptr;
        dropped.swap(poster_.state_->posted);
    }
}

void GuiQueue::runPosted()
{
    for (;;) {
        std::function<void()> f;
        {
            std::lock_guard lock(poster_.state_->mutex);
            if (poster_.state_->posted.empty())
                return;
            f = std::move(poster_.state_->posted.front());
            poster_.state_->posted.pop_front();
        }
        f();
    }
}

GuiQueue& appGuiQueue()
{
    static QPointer<GuiQueue> queue;
    if (!queue)
        queue = new GuiQueue(QCoreApplication::instance());
    return *queue;
}

} // namespace kapsorel::ui
