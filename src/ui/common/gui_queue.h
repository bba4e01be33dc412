// Hands functions from any thread to the GUI thread, in order. The hand-over goes through
// a lock of the program's own and not through Qt's event queue alone: Qt is not built with
// ThreadSanitizer, so a TSan build would not see Qt's queue order what the other thread
// wrote before what the function reads. With the lock it does, and checks the rest.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace kapsorel::ui {

class GuiQueue final : public QObject {
    Q_OBJECT
  public:
    explicit GuiQueue(QObject* parent = nullptr);
    // Functions still queued are destroyed without running.
    ~GuiQueue() override;
    GuiQueue(const GuiQueue&) = delete;
    GuiQueue& operator=(const GuiQueue&) = delete;

    // Posts to the queue it came from while that exists; afterwards a post only destroys
    // the function (on the posting thread). Copies may be kept and used on any thread.
    class Poster {
      public:
        void operator()(std::function<void()> f) const;

      private:
        friend class GuiQueue;
        struct State;
        std::shared_ptr<State> state_;
    };

    // Any thread: `f` runs on this object's thread once it processes its events, after
    // everything posted before it.
    void post(std::function<void()> f) const { poster_(std::move(f)); }
    const Poster& poster() const { return poster_; }

  private:
    Q_INVOKABLE void runPosted();

    Poster poster_;
};

// The application's queue, a child of the application object; call it first on the GUI
// thread (a window does, before it hands work to another thread).
GuiQueue& appGuiQueue();

} // namespace kapsorel::ui
