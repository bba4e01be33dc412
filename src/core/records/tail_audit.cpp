#include "core/records/tail_audit.h"

#include "core/records/battery_test_reader.h"

#include <algorithm>
#include <string>

namespace kapsorel {

namespace {

constexpr double kSecondsPerDay = 86400.0;

double secondsBetween(DayTime from, DayTime to)
{
    return (to - from) * kSecondsPerDay;
}

class AuditSink {
  public:
    explicit AuditSink(TailAudit& audit) : audit_(audit) {}

    void sample(std::size_t, const SampleRecord& s)
    {
        ++audit_.samples;
        if (resumeWaitsForSample_ && secondsBetween(resumedAt_, s.time) < 0.0)
            ++audit_.misplacedResumes;
        if (hasSample_) {
            const double gap = secondsBetween(lastSample_, s.time);
            if (gap <= 0.0)
                ++audit_.timesNotAfterPrevious;
            if (!resumedSinceLastSample_)
                audit_.longestGapSeconds = std::max(audit_.longestGapSeconds, gap);
        }
        hasSample_ = true;
        lastSample_ = s.time;
        resumeWaitsForSample_ = false;
        resumedSinceLastSample_ = false;
    }

    void interruption(std::size_t, const InterruptionMarker&) { ++audit_.markers; }

    void resume(std::size_t, const ResumeEntry& e)
    {
        ++audit_.resumes;
        const bool beforeLastSample = hasSample_ && secondsBetween(lastSample_, e.interruptionTime) < 0.0;
        if (beforeLastSample || secondsBetween(e.interruptionTime, e.resumeTime) < 0.0)
            ++audit_.misplacedResumes;
        resumedAt_ = e.resumeTime;
        resumeWaitsForSample_ = true;
        resumedSinceLastSample_ = true;
    }

    void refused(std::size_t, const std::string&) { ++audit_.refused; }

  private:
    TailAudit& audit_;
    bool hasSample_ = false;
    DayTime lastSample_ = 0.0;
    bool resumeWaitsForSample_ = false; // a resume no sample has followed yet
    DayTime resumedAt_ = 0.0;
    bool resumedSinceLastSample_ = false;
};

} // namespace

Result<TailAudit> auditTestFile(std::span<const std::uint8_t> file)
{
    auto head = readTestFileHead(file);
    if (!head)
        return Error{head.error()};
    const BatteryTestFileLayout& layout = head.value().layout;
    TailAudit audit;
    audit.trailingBytes = layout.trailingBytes;
    AuditSink sink(audit);
    readTailRecords(file.subspan(layout.tailStart), layout, 0, sink);
    return audit;
}

} // namespace kapsorel
