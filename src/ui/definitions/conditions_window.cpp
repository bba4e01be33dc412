#include "ui/definitions/conditions_window.h"

#include "core/definitions/condition_variables.h"
#include "ui/common/refusal.h"
#include "ui/common/window_placement.h"
#include "ui/definitions/condition_value_field.h"
#include "ui/definitions/time_conversion_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFpodminky";
constexpr int kTimeVariable = 0; // "Doba"

QString named(const char* stem, int row)
{
    return QString::fromLatin1(stem) + QString::number(row);
}

} // namespace

ConditionsWindow::ConditionsWindow(ConfigFile& config, QWidget* parent) : QDialog(parent), config_(config)
{
    setObjectName(QStringLiteral("TFpodminky"));
    setWindowTitle(QStringLiteral("Podmínky"));
    setModal(true);
    auto* grid = new QGridLayout;
    const QStringList headers{QStringLiteral("Spojení"), QStringLiteral("&Veličina"), QStringLiteral("Relace"),
                              QStringLiteral("Hodnota")};
    for (int c = 0; c < headers.size(); ++c) {
        auto* h = new QLabel(headers[c], this);
        h->setObjectName(QStringLiteral("hlavicka") + QString::number(c));
        grid->addWidget(h, 0, c + 1);
    }
    for (int i = 0; i < kTermsPerCondition; ++i) {
        Row& r = rows_[static_cast<std::size_t>(i)];
        r.joiner = new QComboBox(this);
        r.joiner->setObjectName(named("op", i));
        if (i == 0)
            for (const char* n : kFirstJoinerNames)
                r.joiner->addItem(QString::fromUtf8(n));
        else
            for (const char* n : kJoinerNames)
                r.joiner->addItem(QString::fromUtf8(n));
        r.variable = new QComboBox(this);
        r.variable->setObjectName(named("prom", i));
        for (const auto& v : kConditionVariables)
            r.variable->addItem(QString::fromUtf8(v.name));
        r.relation = new QComboBox(this);
        r.relation->setObjectName(named("rel", i));
        for (const char* s : kRelationSymbols)
            r.relation->addItem(QString::fromUtf8(s));
        r.value = new ConditionValueField(this);
        r.value->setObjectName(named("shod", i));
        r.time = new QPushButton(QStringLiteral("..."), this);
        r.time->setObjectName(named("bprev", i));
        r.time->setToolTip(QStringLiteral("Převod času"));
        r.time->setFixedWidth(r.time->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 12);
        // The row's joiner names it for screen readers; the header labels name the columns.
        auto* rowLabel = new QLabel(QString::number(i + 1) + QLatin1Char('.'), this);
        rowLabel->setBuddy(r.joiner);
        r.variable->setAccessibleName(QStringLiteral("Veličina ") + QString::number(i + 1));
        r.relation->setAccessibleName(QStringLiteral("Relace ") + QString::number(i + 1));
        r.value->setAccessibleName(QStringLiteral("Hodnota ") + QString::number(i + 1));
        grid->addWidget(rowLabel, i + 1, 0);
        grid->addWidget(r.joiner, i + 1, 1);
        grid->addWidget(r.variable, i + 1, 2);
        grid->addWidget(r.relation, i + 1, 3);
        grid->addWidget(r.value, i + 1, 4);
        grid->addWidget(r.time, i + 1, 5);
        connect(r.joiner, &QComboBox::currentIndexChanged, this, [this, i] { showControls(i); });
        connect(r.variable, &QComboBox::currentIndexChanged, this, [this, i] { showControls(i); });
        connect(r.time, &QPushButton::clicked, this, [this, i] { enterTime(i); });
        connect(r.value, &ConditionValueField::doubleClicked, this, [this, i] {
            if (rows_[static_cast<std::size_t>(i)].variable->currentIndex() == kTimeVariable)
                enterTime(i);
        });
    }
    qobject_cast<QLabel*>(grid->itemAtPosition(0, 2)->widget())->setBuddy(rows_[0].variable);
    grid->setColumnStretch(4, 1);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("BOK"));
    ok_->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("Zruš"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("BZrus"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ConditionsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(buttons);
    restorePlacement(*this, config_, kSection);
}

void ConditionsWindow::setRows(const ConditionRows& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Row& r = rows_[i];
        r.joiner->setCurrentIndex(rows[i].joiner);
        r.variable->setCurrentIndex(rows[i].variable);
        r.relation->setCurrentIndex(rows[i].relation);
        r.value->setText(QString::fromStdString(rows[i].valueText));
        showControls(static_cast<int>(i));
    }
}

ConditionRows ConditionsWindow::rows() const
{
    ConditionRows out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Row& r = rows_[i];
        out[i].joiner = r.joiner->currentIndex();
        out[i].variable = r.variable->currentIndex();
        out[i].relation = r.relation->currentIndex();
        out[i].valueText = r.value->text().toStdString();
    }
    return out;
}

bool ConditionsWindow::edit(const ConditionRows& rows, const Apply& apply, bool okEnabled)
{
    apply_ = apply;
    setRows(rows);
    ok_->setEnabled(okEnabled);
    rows_[0].joiner->setFocus();
    const bool accepted = exec() == QDialog::Accepted;
    savePlacement(*this, config_, kSection);
    apply_ = nullptr;
    return accepted;
}

void ConditionsWindow::showControls(int row)
{
    const Row& r = rows_[static_cast<std::size_t>(row)];
    ConditionRow values;
    values.joiner = r.joiner->currentIndex();
    values.variable = r.variable->currentIndex();
    const ConditionRowControls shown = conditionRowControls(values);
    r.variable->setVisible(shown.valueControls);
    r.relation->setVisible(shown.valueControls);
    r.value->setVisible(shown.valueControls);
    r.time->setVisible(shown.timeButton);
}

void ConditionsWindow::enterTime(int row)
{
    ConditionValueField* field = rows_[static_cast<std::size_t>(row)].value;
    const Result<TimeEntry> start = timeEntryOfField(field->text().toStdString());
    if (!start) {
        showRefusal(this, start.error());
        return;
    }
    TimeConversionWindow dialog(config_, this);
    if (const auto entry = dialog.ask(start.value()))
        field->setText(QString::fromStdString(fieldOfTimeEntry(*entry)));
}

void ConditionsWindow::accept()
{
    if (!ok_->isEnabled())
        return;
    if (apply_) {
        const Status applied = apply_(rows());
        if (!applied) {
            showRefusal(this, applied.error());
            return;
        }
    }
    QDialog::accept();
}

} // namespace kapsorel::ui
