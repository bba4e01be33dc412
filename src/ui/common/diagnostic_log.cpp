#include "ui/common/diagnostic_log.h"

#include "core/base/rotating_log.h"

#include <QDateTime>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <syslog.h>
#include <systemd/sd-journal.h>

namespace kapsorel::ui {

namespace {

constexpr std::uint64_t kLogBytes = 1024 * 1024;
constexpr int kOlderLogs = 3;

struct LogState {
    std::mutex mutex;
    DiagnosticLogTarget target = DiagnosticLogTarget::File;
    std::unique_ptr<RotatingLog> file;
};

LogState& state()
{
    static LogState s;
    return s;
}

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "error";
    case QtFatalMsg:
        return "fatal";
    default:
        return "info";
    }
}

int journalPriority(QtMsgType type)
{
    return type == QtWarningMsg ? LOG_WARNING : type == QtFatalMsg ? LOG_CRIT : LOG_ERR;
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QByteArray line = qFormatLogMessage(type, context, text).toLocal8Bit();
    if (type == QtDebugMsg || type == QtInfoMsg) {
        std::fprintf(stderr, "%s\n", line.constData());
        return;
    }
    LogState& s = state();
    const std::lock_guard lock(s.mutex);
    if (s.target == DiagnosticLogTarget::Journal) {
        // The journal stamps the time itself.
        sd_journal_send("MESSAGE=%s", text.toUtf8().constData(), "PRIORITY=%i", journalPriority(type),
                        "SYSLOG_IDENTIFIER=kapsorel", nullptr);
    } else {
        std::fprintf(stderr, "%s\n", line.constData());
        const QString stamped = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') +
                                QLatin1String(levelName(type)) + QLatin1String(": ") + text;
        if (s.file)
            (void)s.file->append(stamped.toStdString()); // nowhere to report a log that cannot be written
    }
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

bool stderrIsJournal()
{
    const char* stream = std::getenv("JOURNAL_STREAM");
    if (stream == nullptr)
        return false;
    unsigned long long device = 0, inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2)
        return false;
    struct stat st {};
    return ::fstat(STDERR_FILENO, &st) == 0 && static_cast<unsigned long long>(st.st_dev) == device &&
           static_cast<unsigned long long>(st.st_ino) == inode;
}

DiagnosticLogTarget installDiagnosticLog(const std::filesystem::path& stationFolder)
{
    LogState& s = state();
    {
        const std::lock_guard lock(s.mutex);
        s.target = stderrIsJournal() ? DiagnosticLogTarget::Journal : DiagnosticLogTarget::File;
        s.file = std::make_unique<RotatingLog>(stationFolder / kDiagnosticLogFileName, kLogBytes, kOlderLogs);
    }
    qInstallMessageHandler(handleMessage);
    return s.target;
}

} // namespace kapsorel::ui
