#include "ui/main/desktop_notifier.h"

#include "core/app/station_runtime.h"
#include "core/base/program_version.h"
#include "ui/common/qt_ui_bridge.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QVariantMap>

namespace kapsorel::ui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kCallLimitMs = 5000; // a server that does not answer holds up only the notices

QDBusMessage serverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

DesktopNotifier::DesktopNotifier(QtUiBridge& bridge, StationRuntime& runtime, QDBusConnection bus, QObject* parent)
    : QObject(parent), runtime_(runtime), bus_(std::move(bus))
{
    connect(&bridge, &QtUiBridge::signallingPrompted, this,
            [this](const QString& text) { notify(RunNoticeEvent::Signalling, text); });
    connect(&bridge, &QtUiBridge::questionPrompted, this,
            [this](const QString& text) { notify(RunNoticeEvent::Question, text); });
    connect(&bridge, &QtUiBridge::runFinished, this, [this] { notify(RunNoticeEvent::RunEnded, {}); });
}

QDBusConnection DesktopNotifier::sessionBus()
{
    // Without an address nor the usual socket, D-Bus would try to launch a bus of its own.
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtimeDir.isEmpty() || !QFileInfo::exists(QDir(runtimeDir).filePath(QStringLiteral("bus")))))
        return QDBusConnection(QStringLiteral("kapsorel-no-session-bus"));
    return QDBusConnection::sessionBus();
}

void DesktopNotifier::notify(RunNoticeEvent event, const QString& text)
{
    // Called while the run engine waits: the run state and the test file stand still.
    const auto& run = runtime_.station().run;
    const BatteryTestHeader header = runtime_.testFile().header();
    RunNoticeFacts facts;
    facts.event = event;
    facts.stopReason = run.stopReason();
    facts.batteryNumber = header.batteryNumber;
    facts.stationName = runtime_.settings().stationName;
    facts.step = noticeStepNumber(run.currentStep.load(kRelaxed), header.stepCount);
    facts.text = text.toStdString();
    send(runNoticeFor(facts), event == RunNoticeEvent::RunEnded);
}

void DesktopNotifier::send(const RunNotice& notice, bool endsRun)
{
    if (bus_.isConnected())
        queue_.push_back({notice, run_});
    if (endsRun)
        ++run_;
    next();
}

void DesktopNotifier::next()
{
    if (inFlight_ || queue_.empty())
        return;
    if (!markup_) {
        askCapabilities();
        return;
    }
    const Queued q = queue_.front();
    queue_.pop_front();
    const uint replaces = q.run == shownRun_ ? shownId_ : 0;
    const std::string body = *markup_ ? escapeNoticeMarkup(q.notice.body) : q.notice.body;
    QDBusMessage call = serverCall(QStringLiteral("Notify"));
    // The desktop entry and its icon let the server group the notices under the program.
    const QString desktopId = QString::fromLatin1(kDesktopId);
    call << QStringLiteral("Kapsorel") << replaces << desktopId << QString::fromStdString(q.notice.summary)
         << QString::fromStdString(body) << QStringList()
         << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(q.notice.urgency))},
                        {QStringLiteral("desktop-entry"), desktopId}}
         << qint32(-1);
    inFlight_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallLimitMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, run = q.run](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        inFlight_ = false;
        const QDBusPendingReply<uint> reply = *w;
        if (!reply.isError()) {
            shownRun_ = run;
            shownId_ = reply.value();
        }
        next();
    });
}

void DesktopNotifier::askCapabilities()
{
    inFlight_ = true;
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(serverCall(QStringLiteral("GetCapabilities")), kCallLimitMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        inFlight_ = false;
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError()) {
            // No server now: these notices are dropped, the next ones ask again.
            queue_.clear();
            return;
        }
        markup_ = reply.value().contains(QStringLiteral("body-markup"));
        next();
    });
}

} // namespace kapsorel::ui
