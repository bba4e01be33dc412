#include "ui/definitions/procedure_editor_window.h"

#include "ui/common/ask.h"
#include "ui/common/refusal.h"
#include "ui/common/window_placement.h"
#include "ui/definitions/conditions_window.h"
#include "ui/definitions/step_grid.h"
#include "ui/definitions/variables_list_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFpostupy";
constexpr int kNoteLength = 96;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QPushButton* button(QWidget* owner, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QPushButton(text, owner);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    if (text.size() == 1) // the +, −, ▼ and ▲ buttons stay small
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 16);
    return b;
}

SaveAnswer saveAnswerOf(AskAnswer a)
{
    return a == AskAnswer::Yes ? SaveAnswer::Save : SaveAnswer::Discard;
}

} // namespace

ProcedureEditorWindow::ProcedureEditorWindow(ProcedureIndex& index, const BatteryTable& batteries, ConfigFile& config,
                                             bool serviceRights, QWidget* parent)
    : QDialog(parent), state_(index, batteries), batteries_(batteries), config_(config)
{
    setObjectName(QStringLiteral("TFpostupy"));
    setModal(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    state_.setServiceRights(serviceRights);

    auto* split = new QSplitter(this);
    split->addWidget(buildList());
    split->addWidget(buildSteps());
    split->setStretchFactor(1, 1);
    split->setSizes({200, 900});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);

    for (int c = 0; c < kStepGridColumns; ++c) {
        const int width = config_.readInt(kSection, "PCW" + std::to_string(c), 0);
        if (width > 0)
            grid_->setColumnWidth(c, width);
    }
    resize(1100, 560);
    restorePlacement(*this, config_, kSection);

    fillList();
    if (index.size() > 0)
        report(state_.selectProcedure(0));
    fillSteps();
}

QWidget* ProcedureEditorWindow::buildList()
{
    auto* box = new QWidget(this);
    list_ = new QTableWidget(0, 2, box);
    list_->setObjectName(QStringLiteral("gpostupy"));
    list_->setAccessibleName(QStringLiteral("Postupy"));
    list_->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Postup")});
    list_->verticalHeader()->hide();
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    list_->setColumnWidth(0, 36);
    list_->horizontalHeader()->setStretchLastSection(true);
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (!filling_ && row != previous && row >= 0)
            selectProcedure(row);
    });
    connect(list_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!filling_ && item->column() == 1)
            renamed(item->row());
    });

    addProcedure_ = button(box, "btn_padd", QStringLiteral("+"), QStringLiteral("Přidej postup"));
    deleteProcedure_ = button(box, "btn_pdel", QStringLiteral("−"), QStringLiteral("Smaž postup"));
    procedureDown_ = button(box, "btn_pdn", QStringLiteral("▼"), QStringLiteral("Posuň postup dolů"));
    procedureUp_ = button(box, "btn_pup", QStringLiteral("▲"), QStringLiteral("Posuň postup nahoru"));
    connect(addProcedure_, &QPushButton::clicked, this, &ProcedureEditorWindow::addProcedure);
    connect(deleteProcedure_, &QPushButton::clicked, this, &ProcedureEditorWindow::deleteProcedure);
    connect(procedureDown_, &QPushButton::clicked, this, [this] { moveProcedure(false); });
    connect(procedureUp_, &QPushButton::clicked, this, [this] { moveProcedure(true); });

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {addProcedure_, deleteProcedure_, procedureDown_, procedureUp_})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(QStringLiteral("&Postupy"), box);
    caption->setBuddy(list_);
    layout->addWidget(caption);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    box->setMinimumWidth(180);
    return box;
}

QWidget* ProcedureEditorWindow::buildSteps()
{
    auto* box = new QWidget(this);
    note_ = new QLineEdit(box);
    note_->setObjectName(QStringLiteral("pozn"));
    note_->setMaxLength(kNoteLength);
    auto* noteLabel = new QLabel(QStringLiteral("Poznámka :"), box);
    noteLabel->setBuddy(note_);
    connect(note_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!filling_ && report(state_.editNote(text.toStdString())))
            updateButtons();
    });

    checkMode_ = new QCheckBox(QStringLiteral("Kontrola"), box);
    checkMode_->setObjectName(QStringLiteral("Lkontrola"));
    batteryType_ = new QComboBox(box);
    batteryType_->setObjectName(QStringLiteral("Cbat"));
    batteryType_->setAccessibleName(QStringLiteral("Typ baterie"));
    batteryType_->setMinimumContentsLength(16);
    batteryType_->hide();
    connect(checkMode_, &QCheckBox::toggled, this, &ProcedureEditorWindow::checkModeToggled);
    connect(batteryType_, &QComboBox::currentIndexChanged, this, &ProcedureEditorWindow::batteryTypeChosen);

    grid_ = new StepGrid(
        state_, [this](int step, int column, const QString& text) { return editCell(step, column, text); }, box);
    connect(grid_, &StepGrid::conditionCellOpened, this, &ProcedureEditorWindow::editCondition);
    connect(grid_, &StepGrid::valueCellOpened, this, &ProcedureEditorWindow::pickVariable);

    addStep_ = button(box, "btn_kadd", QStringLiteral("+"), QStringLiteral("Přidej kroky"));
    removeStep_ = button(box, "btn_kdel", QStringLiteral("−"), QStringLiteral("Smaž krok"));
    stepDown_ = button(box, "btn_kdn", QStringLiteral("▼"), QStringLiteral("Posuň krok dolů"));
    stepUp_ = button(box, "btn_kup", QStringLiteral("▲"), QStringLiteral("Posuň krok nahoru"));
    copy_ = button(box, "bcopy", QStringLiteral("Kopíruj"), QStringLiteral("Kopíruj postup"));
    paste_ = button(box, "bpaste", QStringLiteral("Vlož"), QStringLiteral("Vlož postup"));
    save_ = button(box, "btn_kuloz", QStringLiteral("Ulož"), QStringLiteral("Ulož kroky"));
    connect(addStep_, &QPushButton::clicked, this, &ProcedureEditorWindow::appendSteps);
    connect(removeStep_, &QPushButton::clicked, this, &ProcedureEditorWindow::removeStep);
    connect(stepDown_, &QPushButton::clicked, this, [this] { moveStep(false); });
    connect(stepUp_, &QPushButton::clicked, this, [this] { moveStep(true); });
    connect(copy_, &QPushButton::clicked, this, &ProcedureEditorWindow::copyProcedure);
    connect(paste_, &QPushButton::clicked, this, &ProcedureEditorWindow::pasteProcedure);
    connect(save_, &QPushButton::clicked, this, &ProcedureEditorWindow::save);
    // Ctrl+C and Ctrl+V in the grid copy and paste the whole procedure, as the buttons do.
    for (const auto& [keys, button] : {std::pair{QKeySequence::Copy, copy_}, std::pair{QKeySequence::Paste, paste_}}) {
        auto* shortcut = new QShortcut(keys, grid_, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QPushButton* target = button;
        connect(shortcut, &QShortcut::activated, target, [target] {
            if (target->isEnabled() && target->isVisible())
                target->click();
        });
    }

    auto* top = new QHBoxLayout;
    top->addWidget(noteLabel);
    top->addWidget(note_, 1);
    top->addSpacing(12);
    top->addWidget(checkMode_);
    top->addWidget(batteryType_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {addStep_, removeStep_, stepDown_, stepUp_})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(copy_);
    buttons->addWidget(paste_);
    buttons->addStretch();
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    return box;
}

bool ProcedureEditorWindow::report(const Status& status)
{
    if (!status)
        showRefusal(this, status.error());
    return status.ok();
}

void ProcedureEditorWindow::fillList()
{
    filling_ = true;
    const ProcedureIndex& index = state_.index();
    list_->setRowCount(index.size());
    for (int r = 0; r < index.size(); ++r) {
        auto* position = new QTableWidgetItem(QString::number(r + 1));
        position->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        position->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list_->setItem(r, 0, position);
        auto* name = new QTableWidgetItem(qs(index.at(r).name));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (state_.serviceRights() && !state_.checkMode())
            flags |= Qt::ItemIsEditable;
        name->setFlags(flags);
        list_->setItem(r, 1, name);
    }
    const int selected = state_.selectedPosition();
    if (selected >= 0)
        list_->setCurrentCell(selected, 1);
    filling_ = false;
}

void ProcedureEditorWindow::fillSteps()
{
    filling_ = true;
    setWindowTitle(qs(state_.caption()));
    note_->setText(qs(state_.procedure().note));
    grid_->fill();
    filling_ = false;
    updateButtons();
}

void ProcedureEditorWindow::updateButtons()
{
    const bool service = state_.serviceRights();
    const bool editable = !state_.readOnly();
    for (QPushButton* b : {addProcedure_, deleteProcedure_, procedureDown_, procedureUp_, addStep_, removeStep_,
                           stepDown_, stepUp_, copy_, paste_, save_})
        b->setVisible(service);
    for (QPushButton* b : {addProcedure_, deleteProcedure_, procedureDown_, procedureUp_})
        b->setEnabled(service && !state_.checkMode());
    const bool hasSteps = state_.stepCount() > 0;
    addStep_->setEnabled(editable);
    removeStep_->setEnabled(editable && hasSteps);
    stepDown_->setEnabled(editable && hasSteps);
    stepUp_->setEnabled(editable && hasSteps);
    copy_->setEnabled(editable);
    paste_->setEnabled(state_.canPaste());
    save_->setEnabled(editable && state_.stepsModified());
    note_->setEnabled(editable);
}

Status ProcedureEditorWindow::editCell(int step, int column, const QString& text)
{
    const Status taken = state_.editCell(step, static_cast<StepColumn>(column), text.toStdString());
    if (taken) {
        // The editor is still closing: the row is shown anew once it has.
        QTimer::singleShot(0, this, [this] {
            grid_->fill();
            updateButtons();
        });
    }
    return taken;
}

void ProcedureEditorWindow::selectProcedure(int position)
{
    SaveAnswer answer = SaveAnswer::Discard;
    if (const auto question = state_.leaveQuestion())
        answer = saveAnswerOf(ask(this, windowTitle(), qs(*question), false));
    report(state_.selectProcedure(position, answer));
    fillList();
    fillSteps();
}

void ProcedureEditorWindow::renamed(int row)
{
    const QString typed = list_->item(row, 1)->text();
    if (!report(state_.renameProcedure(row, typed.toStdString())))
        list_->editItem(list_->item(row, 1));
    fillList();
    setWindowTitle(qs(state_.caption()));
}

void ProcedureEditorWindow::addProcedure()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Název"), QStringLiteral("Zadej název postupu"),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    if (report(state_.addProcedure(name.toStdString()).status()))
        fillList();
}

void ProcedureEditorWindow::deleteProcedure()
{
    const int row = list_->currentRow();
    if (row < 0)
        return;
    const Result<std::string> question = state_.deleteQuestion(row);
    if (!report(question.status()))
        return;
    if (ask(this, windowTitle(), qs(question.value()), false) != AskAnswer::Yes)
        return;
    report(state_.deleteProcedure(row));
    fillList();
    fillSteps();
}

void ProcedureEditorWindow::moveProcedure(bool up)
{
    const int row = list_->currentRow();
    if (row < 0)
        return;
    const Result<int> moved = up ? state_.moveProcedureUp(row) : state_.moveProcedureDown(row);
    if (!report(moved.status()))
        return;
    fillList();
    filling_ = true;
    list_->setCurrentCell(moved.value(), 1);
    filling_ = false;
}

void ProcedureEditorWindow::appendSteps()
{
    const auto [first, last] = grid_->selectedSteps();
    const int before = state_.stepCount();
    if (!report(state_.appendSteps(std::max(first, 0), std::max(last, 0))))
        return;
    fillSteps();
    grid_->setCurrentCell(before, 2);
}

void ProcedureEditorWindow::removeStep()
{
    const int step = grid_->currentRow();
    if (step >= 0 && report(state_.removeStep(step)))
        fillSteps();
}

void ProcedureEditorWindow::moveStep(bool up)
{
    const int step = grid_->currentRow();
    if (step < 0)
        return;
    const int column = grid_->currentColumn();
    const Result<int> moved = up ? state_.moveStepUp(step) : state_.moveStepDown(step);
    if (!report(moved.status()))
        return;
    fillSteps();
    grid_->setCurrentCell(moved.value(), column);
}

void ProcedureEditorWindow::copyProcedure()
{
    if (report(state_.copyProcedure()))
        updateButtons();
}

void ProcedureEditorWindow::pasteProcedure()
{
    if (report(state_.paste()))
        fillSteps();
}

void ProcedureEditorWindow::save()
{
    report(state_.save());
    fillSteps();
}

void ProcedureEditorWindow::checkModeToggled(bool on)
{
    if (filling_)
        return;
    if (on) {
        SaveAnswer answer = SaveAnswer::Discard;
        if (state_.stepsModified())
            answer = saveAnswerOf(ask(this, windowTitle(), qs(closeEditorQuestion()), false));
        const Result<bool> entered = state_.enterCheckMode(answer);
        if (!report(entered.status()) || !entered.value()) {
            const QSignalBlocker block(checkMode_);
            checkMode_->setChecked(false);
            return;
        }
        choices_ = state_.checkModeChoices();
        {
            const QSignalBlocker block(batteryType_);
            batteryType_->clear();
            for (const auto& c : choices_)
                batteryType_->addItem(qs(c.name));
        }
        batteryType_->show();
        batteryTypeChosen(choices_.empty() ? -1 : 0);
    } else {
        state_.leaveCheckMode();
        batteryType_->hide();
        choices_.clear();
    }
    fillList();
    fillSteps();
}

void ProcedureEditorWindow::batteryTypeChosen(int choice)
{
    const int tableIndex = choice >= 0 && choice < static_cast<int>(choices_.size())
                               ? choices_[static_cast<std::size_t>(choice)].tableIndex
                               : -1;
    report(state_.showBatteryType(tableIndex));
    fillSteps();
}

void ProcedureEditorWindow::editCondition(int step, int column)
{
    const int which = column == static_cast<int>(StepColumn::StartCondition) ? kStartCondition : kEndCondition;
    ConditionsWindow window(config_, this);
    const bool changed = window.edit(
        state_.conditionRows(step, which),
        [this, step, which](const ConditionRows& rows) { return state_.applyConditions(step, which, rows); },
        !state_.checkMode());
    if (changed)
        fillSteps();
}

void ProcedureEditorWindow::pickVariable(int step, int column)
{
    // In check mode the list only shows the variables.
    const auto picked = VariablesListWindow::pick(this, config_, batteries_, state_.checkMode());
    if (!picked || state_.checkMode())
        return;
    if (report(state_.setValueReference(step, static_cast<StepColumn>(column), *picked)))
        fillSteps();
}

bool ProcedureEditorWindow::askToClose()
{
    SaveAnswer answer = SaveAnswer::Discard;
    if (const auto question = state_.closeQuestion())
        answer = saveAnswerOf(ask(this, windowTitle(), qs(*question), false));
    if (!report(state_.close(answer)))
        return false;
    for (int c = 0; c < kStepGridColumns; ++c)
        config_.writeInt(kSection, "PCW" + std::to_string(c), grid_->columnWidth(c));
    savePlacement(*this, config_, kSection);
    return true;
}

void ProcedureEditorWindow::closeEvent(QCloseEvent* event)
{
    if (!closed_ && !askToClose()) {
        event->ignore();
        return;
    }
    closed_ = true;
    QDialog::closeEvent(event);
}

void ProcedureEditorWindow::reject()
{
    if (!closed_ && !askToClose())
        return;
    closed_ = true;
    QDialog::reject();
}

} // namespace kapsorel::ui
