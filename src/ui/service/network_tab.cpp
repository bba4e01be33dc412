// The network tabs of the module settings window.
#include "ui/service/network_tab.h"

#include "ui/service/service_job.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kapsorel::ui {
namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

void addRow(QFormLayout* form, const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption, field->parentWidget());
    label->setBuddy(field);
    form->addRow(label, field);
}

QLineEdit* line(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QSpinBox* port(QWidget* parent, const QString& name, int start)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, 65535);
    box->setValue(start);
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

NetworkTab::NetworkTab(const QString& prefix, const QString& programSuffix, bool withUdpPort, QWidget* parent)
    : QWidget(parent)
{
    auto* program = new QGroupBox(QStringLiteral("Program"), this);
    auto* programForm = new QFormLayout(program);
    moduleAddress_ = line(program, QStringLiteral("IP_adr_") + programSuffix);
    addRow(programForm, QStringLiteral("IP adresa modulu"), moduleAddress_);
    tcpPort_ = port(program, QStringLiteral("port_") + programSuffix, 9760);
    tcpPort_->setMinimum(1);
    addRow(programForm, withUdpPort ? QStringLiteral("TCP Port") : QStringLiteral("Port"), tcpPort_);
    if (withUdpPort) {
        udpPort_ = port(program, QStringLiteral("UDP_port_") + programSuffix, 30305);
        udpPort_->setMinimum(1);
        addRow(programForm, QStringLiteral("UDP Port"), udpPort_);
    }

    auto* module = new QGroupBox(QStringLiteral("Modul"), this);
    auto* form = new QFormLayout(module);
    address_ = line(module, prefix + QStringLiteral("ipadr"));
    mask_ = line(module, prefix + QStringLiteral("maska"));
    gateway_ = line(module, prefix + QStringLiteral("brana"));
    dns1_ = line(module, prefix + QStringLiteral("dns1"));
    dns2_ = line(module, prefix + QStringLiteral("dns2"));
    user_ = line(module, prefix + QStringLiteral("uziv"));
    user_->setMaxLength(9);
    auto* tcp1 = new QLabel(QStringLiteral("9760"), module);
    tcp1->setObjectName(prefix + QStringLiteral("tcp1"));
    tcp2_ = port(module, prefix + QStringLiteral("tcp2"), 9761);
    udp1_ = port(module, prefix + QStringLiteral("udpport1"), 30305);
    udp2_ = port(module, prefix + QStringLiteral("udpport2"), 30306);
    addRow(form, QStringLiteral("IP adresa"), address_);
    addRow(form, QStringLiteral("Maska"), mask_);
    addRow(form, QStringLiteral("Brána"), gateway_);
    addRow(form, QStringLiteral("DNS1"), dns1_);
    addRow(form, QStringLiteral("DNS2"), dns2_);
    addRow(form, QStringLiteral("Uživatel"), user_);
    addRow(form, QStringLiteral("TCP port1"), tcp1);
    addRow(form, QStringLiteral("TCP port2"), tcp2_);
    addRow(form, QStringLiteral("UDPport1"), udp1_);
    addRow(form, QStringLiteral("UDPport2"), udp2_);

    read_ = new QPushButton(QStringLiteral("Načti"), module);
    read_->setObjectName(prefix + QStringLiteral("nacti"));
    write_ = new QPushButton(QStringLiteral("Ulož"), module);
    write_->setObjectName(prefix + QStringLiteral("uloz"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(read_);
    buttons->addWidget(write_);
    buttons->addStretch();
    form->addRow(buttons);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(program);
    left->addStretch();
    layout->addLayout(left);
    layout->addWidget(module);
    layout->addStretch();
}

std::pair<NetworkFields, PortsFields> NetworkTab::fields() const
{
    NetworkFields n{address_->text().toStdString(), mask_->text().toStdString(), gateway_->text().toStdString(),
                    dns1_->text().toStdString(), dns2_->text().toStdString()};
    PortsFields p{user_->text().toStdString(), tcp2_->value(), udp1_->value(), udp2_->value()};
    return {n, p};
}

void NetworkTab::show(const NetworkImages& images)
{
    const auto n = networkFields(images.network);
    address_->setText(q(n.address));
    mask_->setText(q(n.mask));
    gateway_->setText(q(n.gateway));
    dns1_->setText(q(n.dns1));
    dns2_->setText(q(n.dns2));
    const auto p = portsFields(images.ports);
    user_->setText(q(p.user));
    tcp2_->setValue(static_cast<int>(p.tcpPort2));
    udp1_->setValue(static_cast<int>(p.udpPort1));
    udp2_->setValue(static_cast<int>(p.udpPort2));
}

void NetworkTab::connectJobs(const ServiceContext& context, NetworkBlock& network, PortsBlock& ports, BlockSet known,
                             ReadNetwork read, WriteNetwork write)
{
    const auto keep = [&network, &ports](const NetworkImages& r) {
        network = r.network;
        ports = r.ports;
    };
    connect(read_, &QPushButton::clicked, this, [this, context, keep, known, read] {
        runServiceJob<Result<NetworkImages>>(
            context.runner, read_, [read](ModuleLink& l) { return read(l); },
            [this, context, keep, known](const Result<NetworkImages>& r) {
                if (!r.ok())
                    return emit message(qs(r.error()));
                keep(*r);
                context.guard.markKnown(known);
                show(*r);
                emit message(QString());
            });
    });
    connect(write_, &QPushButton::clicked, this, [this, context, &network, &ports, keep, write] {
        // Plain variables: not every compiler lets a lambda capture structured bindings.
        const auto entered = fields();
        const NetworkFields n = entered.first;
        const PortsFields p = entered.second;
        const NetworkImages previous{network, ports};
        const WriteGate& gate = context.gate;
        runServiceJob<Result<NetworkImages>>(
            context.runner, write_,
            [&gate, n, p, previous, write](ModuleLink& l) { return write(l, gate, n, p, previous); },
            [this, keep](const Result<NetworkImages>& r) {
                if (!r.ok())
                    return emit message(qs(r.error()));
                keep(*r);
                emit message(QString());
            });
    });
}

} // namespace kapsorel::ui
