// A network tab of the module settings window, the same for both modules: the program's own
// address and ports of the module, and the module's network block and port block fields
// with "Načti" and "Ulož".
#pragma once

#include "core/service/address_fields.h"
#include "core/service/power_settings_jobs.h"
#include "core/service/write_guard.h"
#include "ui/service/service_context.h"

#include <QWidget>
#include <functional>
#include <utility>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kapsorel::ui {

class NetworkTab final : public QWidget {
    Q_OBJECT
  public:
    // `prefix` is "p" (power module) or "m" (measurement module); the measurement module's
    // tab also edits the program's UDP port of the module.
    NetworkTab(const QString& prefix, const QString& programSuffix, bool withUdpPort, QWidget* parent = nullptr);

    std::pair<NetworkFields, PortsFields> fields() const;

    // The module's own network read and write, as its jobs module run them.
    using ReadNetwork = std::function<Result<NetworkImages>(ModuleLink&)>;
    using WriteNetwork = std::function<Result<NetworkImages>(ModuleLink&, const WriteGate&, const NetworkFields&,
                                                             const PortsFields&, const NetworkImages&)>;
    // Runs "Načti" and "Ulož" as module jobs: what a read or write brings replaces the
    // module's `network` and `ports` images, and a read marks `known` as read for the
    // write guard. Outcomes go to message() (empty after success).
    void connectJobs(const ServiceContext& context, NetworkBlock& network, PortsBlock& ports, BlockSet known,
                     ReadNetwork read, WriteNetwork write);
    void show(const NetworkImages& images);

    QLineEdit* moduleAddress() const { return moduleAddress_; }
    QSpinBox* tcpPort() const { return tcpPort_; }
    QSpinBox* udpPort() const { return udpPort_; }
    QPushButton* readButton() const { return read_; }
    QPushButton* writeButton() const { return write_; }

  signals:
    void message(const QString& text);

  private:
    QLineEdit* moduleAddress_ = nullptr;
    QSpinBox* tcpPort_ = nullptr;
    QSpinBox* udpPort_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* mask_ = nullptr;
    QLineEdit* gateway_ = nullptr;
    QLineEdit* dns1_ = nullptr;
    QLineEdit* dns2_ = nullptr;
    QLineEdit* user_ = nullptr;
    QSpinBox* tcp2_ = nullptr;
    QSpinBox* udp1_ = nullptr;
    QSpinBox* udp2_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* write_ = nullptr;
};

} // namespace kapsorel::ui
