// The firmware upgrade window `FirmwareUpgradeWindow`: picks a ".BIN" or ".HEX" file and uploads it to
// the power module over TFTP on the module's job runner, with a log, a progress bar and a
// cancel button; the window stays responsive throughout.
#pragma once

#include "core/comm/tftp_send.h"

#include <QDialog>
#include <atomic>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace kapsorel {
class StationRuntime;
}

namespace kapsorel::ui {

// Where the upload goes besides the power module's address: the TFTP port and the waits
// (the module's are the defaults).
struct UpgradeTransfer {
    std::uint16_t port = kTftpPort;
    TftpTimings timings;
};

class FirmwareUpgradeWindow final : public QDialog {
    Q_OBJECT
  public:
    FirmwareUpgradeWindow(StationRuntime& runtime, QWidget* parent = nullptr, UpgradeTransfer transfer = {});
    ~FirmwareUpgradeWindow() override;

    bool sending() const { return sending_; }

  public slots:
    void done(int result) override;

  private:
    void chooseFile();
    void send();
    void cancel();
    void finished();

    StationRuntime& runtime_;
    UpgradeTransfer transfer_;
    QLineEdit* file_ = nullptr;
    QWidget* browse_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    // Shared with the upload job, which may outlive the window by its last receive.
    std::shared_ptr<std::atomic<bool>> cancelFlag_;
    bool sending_ = false;
};

} // namespace kapsorel::ui
