#include "ui/definitions/time_conversion_window.h"

#include "ui/common/window_placement.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFprevod_casu";

} // namespace

TimeConversionWindow::TimeConversionWindow(ConfigFile& config, QWidget* parent) : QDialog(parent), config_(config)
{
    setObjectName(QStringLiteral("TFprevod_casu"));
    setWindowTitle(QStringLiteral("Převod času"));
    setModal(true);
    auto* form = new QFormLayout;
    const auto field = [&](const char* name, const QString& caption, int maximum) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(0, maximum);
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        form->addRow(label, box);
        return box;
    };
    hours_ = field("hodin", QStringLiteral("&Hodin"), 255);
    minutes_ = field("minut", QStringLiteral("&Minut"), 59);
    seconds_ = field("sekund", QStringLiteral("&Sekund"), 59);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("BOK"));
    ok->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Zruš"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("BZrus"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    restorePlacement(*this, config_, kSection);
}

std::optional<TimeEntry> TimeConversionWindow::ask(const TimeEntry& start)
{
    hours_->setValue(start.hours);
    minutes_->setValue(start.minutes);
    seconds_->setValue(start.seconds);
    hours_->selectAll();
    hours_->setFocus();
    const bool accepted = exec() == QDialog::Accepted;
    savePlacement(*this, config_, kSection);
    if (!accepted)
        return std::nullopt;
    return entry();
}

TimeEntry TimeConversionWindow::entry() const
{
    return TimeEntry{hours_->value(), minutes_->value(), seconds_->value()};
}

} // namespace kapsorel::ui
