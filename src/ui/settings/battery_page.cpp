#include "ui/settings/battery_page.h"

#include "core/app/stored_colour.h"
#include "ui/common/decimal_box.h"
#include "ui/common/screen_colour.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kStoredRole = "storedColour";

DecimalBox* voltageBox(const char* name, QWidget* parent)
{
    auto* box = new DecimalBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(2);
    box->setSingleStep(0.01);
    box->setRange(-99.99, 99.99); // the fault limit's default is -0.60 V
    box->setMinimumWidth(80);
    return box;
}

CellColourSet StationSettings::*const kRows[] = {
    &StationSettings::cellBelowOkColours, &StationSettings::cellAboveOkColours, &StationSettings::cellBelowLimitColours,
    &StationSettings::cellOtherColours};

std::int32_t CellColourSet::*const kColumns[] = {&CellColourSet::frame, &CellColourSet::background,
                                                 &CellColourSet::bar};

} // namespace

BatteryPage::BatteryPage(QWidget* parent) : QWidget(parent)
{
    okMinimum_ = voltageBox("PBnb_ok_min", this);
    okMaximum_ = voltageBox("PBnb_ok_max", this);
    failLimit_ = voltageBox("PBnb_ko", this);
    const char* const rowNames[] = {"Lbmin", "Lbmax", "Lbko", "Lbost"};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    const QString captions[] = {QStringLiteral("Napětí baterie OK min"), QStringLiteral("Napětí baterie OK max"),
                                QStringLiteral("Napětí baterie KO")};
    DecimalBox* boxes[] = {okMinimum_, okMaximum_, failLimit_};
    const QString columnNames[] = {QStringLiteral("Rámeček"), QStringLiteral("Pozadí"), QStringLiteral("Sloupec")};
    for (int c = 0; c < 3; ++c) {
        auto* head = new QLabel(columnNames[c], this);
        head->setAlignment(Qt::AlignCenter);
        grid->addWidget(head, 0, 2 + c);
    }
    for (int r = 0; r < 4; ++r) {
        auto* label = new QLabel(r < 3 ? captions[r] : QStringLiteral("Ostatní články"), this);
        grid->addWidget(label, r + 1, 0);
        if (r < 3)
            grid->addWidget(boxes[r], r + 1, 1);
        for (int c = 0; c < 3; ++c) {
            auto* b = new QPushButton(this);
            b->setObjectName(QString::fromLatin1(rowNames[r]) + QString::number(c));
            b->setFixedSize(60, 24);
            // A colour has no text: the button is named by its row and column.
            b->setAccessibleName(columnNames[c] + QStringLiteral(" - ") + label->text());
            connect(b, &QPushButton::clicked, this, [this, b] { chooseColour(b); });
            colours_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = b;
            grid->addWidget(b, r + 1, 2 + c);
        }
        label->setBuddy(r < 3 ? static_cast<QWidget*>(boxes[r]) : colours_[3][0]);
    }
    grid->setColumnStretch(5, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("baterie_ok"));
    auto* cancel = new QPushButton(QStringLiteral("Zruš"), this);
    cancel->setObjectName(QStringLiteral("baterie_zrus"));
    connect(ok, &QPushButton::clicked, this, &BatteryPage::accepted);
    connect(cancel, &QPushButton::clicked, this, &BatteryPage::rejected);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
}

void BatteryPage::fill(const StationSettings& settings)
{
    okMinimum_->setValue(double(settings.cellOkMinimum));
    okMaximum_->setValue(double(settings.cellOkMaximum));
    failLimit_->setValue(double(settings.cellFailLimit));
    for (std::size_t r = 0; r < colours_.size(); ++r)
        for (std::size_t c = 0; c < 3; ++c)
            setColour(colours_[r][c], settings.*kRows[r].*kColumns[c]);
}

void BatteryPage::store(StationSettings& settings) const
{
    settings.cellOkMinimum = static_cast<float>(okMinimum_->value());
    settings.cellOkMaximum = static_cast<float>(okMaximum_->value());
    settings.cellFailLimit = static_cast<float>(failLimit_->value());
    for (std::size_t r = 0; r < colours_.size(); ++r)
        for (std::size_t c = 0; c < 3; ++c)
            settings.*kRows[r].*kColumns[c] = colours_[r][c]->property(kStoredRole).toInt();
}

void BatteryPage::setColour(QPushButton* button, std::int32_t stored)
{
    button->setProperty(kStoredRole, stored);
    const QColor shown = screenColour(stored, palette());
    button->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #606060;").arg(shown.name()));
}

void BatteryPage::chooseColour(QPushButton* button)
{
    QColorDialog dialog(screenColour(button->property(kStoredRole).toInt(), palette()), this);
    dialog.setObjectName(QStringLiteral("barvy"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor c = dialog.selectedColor();
    setColour(button, encodeRgb(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                                static_cast<std::uint8_t>(c.blue())));
}

} // namespace kapsorel::ui
