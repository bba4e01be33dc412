#include "ui/common/open_progress.h"

#include <QProgressDialog>
#include <cmath>

namespace kapsorel::ui {

namespace {
constexpr int kSteps = 1000;
}

OpenProgressDialog::OpenProgressDialog(QWidget* parent, const QString& title, const QString& label)
    : dialog_(new QProgressDialog(label, QString(), 0, kSteps, parent))
{
    dialog_->setObjectName(QStringLiteral("openProgress"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setCancelButton(nullptr);
    dialog_->setAutoClose(true);
    dialog_->setMinimumDuration(kOpenProgressDelayMs);
    dialog_->setValue(0); // starts the clock the delay is measured by
}

OpenProgressDialog::~OpenProgressDialog()
{
    delete dialog_;
}

OpenProgress OpenProgressDialog::callback()
{
    return [this](double fraction) {
        const int value = static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * kSteps));
        if (value != dialog_->value())
            dialog_->setValue(value);
    };
}

} // namespace kapsorel::ui
