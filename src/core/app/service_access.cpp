#include "core/app/service_access.h"

#include <array>

namespace kapsorel {

namespace {

constexpr std::array kSequence{DiagramElement::Load, DiagramElement::Source, DiagramElement::DischargeSwitch,
                               DiagramElement::ChargeSwitch};

} // namespace

bool ServiceAccess::click(DiagramElement element)
{
    if (progress_ < static_cast<int>(kSequence.size()) && element == kSequence[static_cast<std::size_t>(progress_)]) {
        ++progress_;
        return true;
    }
    if (element != DiagramElement::Battery && element != DiagramElement::Other)
        progress_ = 0;
    return false;
}

void ServiceAccess::setExpert(bool checked)
{
    if (!checked) {
        level_ = 0;
        progress_ = 0;
        return;
    }
    if (progress_ >= static_cast<int>(kSequence.size())) {
        level_ = 2;
        progress_ = 0;
    } else {
        level_ = 1;
    }
}

} // namespace kapsorel
