#include "ui/common/event_wait.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace kapsorel::ui {

void waitProcessingEvents(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

} // namespace kapsorel::ui
