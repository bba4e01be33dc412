// What the power and measurement tabs share around a whole-module image: the network and ports
// blocks built from the network tab's fields, and the write of every block as one module job.
#pragma once

#include "core/base/result.h"
#include "ui/service/network_tab.h"
#include "ui/service/service_context.h"
#include "ui/service/service_job.h"

#include <QString>
#include <functional>
#include <utility>

namespace kapsorel::ui {

// Puts the network and ports blocks entered on `tab` (over those of `current`) into `images`.
template <class Images> Status takeNetworkFields(Images& images, const NetworkTab& tab, const Images& current)
{
    const auto entered = tab.fields();
    auto network = networkFromFields(entered.first, current.network);
    if (!network.ok())
        return Error{network.error()};
    auto ports = portsFromFields(entered.second, current.ports);
    if (!ports.ok())
        return Error{ports.error()};
    images.network = *network;
    images.ports = *ports;
    return {};
}

// Writes `images` to the module as one job; the network blocks are checked and built from the
// fields by the write itself, so they go from `stored`. `stored` takes what the module holds.
template <class Images, class Write>
void writeWholeModule(ServiceContext& context, const NetworkTab& tab, QWidget* control, Images images, Images& stored,
                      Write write, std::function<void(const QString&)> message, std::function<void(bool)> then)
{
    images.network = stored.network;
    images.ports = stored.ports;
    const auto entered = tab.fields();
    const NetworkFields n = entered.first;
    const PortsFields p = entered.second;
    const WriteGate& gate = context.gate;
    const ServiceProgress progress = progressTo(context.progress);
    runModuleSequence<Images>(
        context.runner, control,
        [&gate, n, p, images, progress, write](ModuleLink& l) { return write(l, gate, n, p, images, progress); },
        stored, {}, std::move(message), std::move(then));
}

} // namespace kapsorel::ui
