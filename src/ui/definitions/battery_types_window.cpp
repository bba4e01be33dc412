// The battery types window: a shell over the battery types editor of core.
#include "ui/definitions/battery_types_window.h"

#include "core/app/station_settings.h"
#include "ui/common/ask.h"
#include "ui/common/refusal.h"
#include "ui/common/window_placement.h"
#include "ui/definitions/battery_grids.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFbaterie";

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void fixColumn(QHeaderView* header, int column, int width)
{
    header->setSectionResizeMode(column, QHeaderView::Interactive);
    header->resizeSection(column, width);
}

} // namespace

BatteryTypesWindow::BatteryTypesWindow(const std::filesystem::path& home, ConfigFile& config, bool serviceRights,
                                       QWidget* parent)
    : QDialog(parent), config_(config), serviceRights_(serviceRights),
      stationName_(loadStationSettings(config, home).stationName), index_(home), editor_(table_, index_, home)
{
    setObjectName(QString::fromLatin1(kSection));
    setWindowTitle(QStringLiteral("Baterie"));
    setModal(true);
    editor_.setServiceRights(serviceRights_);
    // The procedure names are only listed here; the main window reports a bad index.
    (void)index_.load();
    const FileReport loaded = table_.load(home);

    buildWindow();
    resize(980, 560);
    restorePlacement(*this, config_, kSection);
    if (!loaded.ok() || !loaded.warnings.empty())
        QTimer::singleShot(0, this, [this, loaded] { showReport(loaded); });
    if (table_.size() > 0)
        selectType(0);
    else
        showType();
}

BatteryTypesWindow::~BatteryTypesWindow()
{
    delete types_;
    delete variables_;
    delete allowed_;
    delete typesModel_;
    delete variablesModel_;
    delete allowedModel_;
}

QPushButton* BatteryTypesWindow::button(const char* name, const QString& text, const QString& tip)
{
    auto* b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    b->setVisible(serviceRights_);
    return b;
}

void BatteryTypesWindow::buildWindow()
{
    types_ = new GridView(this);
    variables_ = new GridView(this);
    allowed_ = new GridView(this);
    const auto reporter = [](GridView* view) {
        return [view](const QModelIndex& cell, const QString& typed, const QString& message) {
            view->refuseEdit(cell, typed, message);
        };
    };
    typesModel_ = new BatteryTypesModel(editor_, reporter(types_), this);
    variablesModel_ = new BatteryVariablesModel(editor_, reporter(variables_), this);
    allowedModel_ = new AllowedProceduresModel(editor_, reporter(allowed_), this);
    for (BatteryGridModel* m : std::initializer_list<BatteryGridModel*>{typesModel_, variablesModel_, allowedModel_}) {
        m->setEditable(serviceRights_);
        connect(m, &BatteryGridModel::edited, this, &BatteryTypesWindow::updateButtons);
    }

    types_->setObjectName(QStringLiteral("gbaterie"));
    types_->setModel(typesModel_);
    types_->setItemDelegateForColumn(int(BatteryColumn::Chemistry), new ChemistryDelegate(types_));
    types_->horizontalHeader()->setSectionResizeMode(int(BatteryColumn::Name), QHeaderView::Stretch);
    fixColumn(types_->horizontalHeader(), int(BatteryColumn::Head), 64);
    fixColumn(types_->horizontalHeader(), int(BatteryColumn::Chemistry), 72);
    connect(types_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.row() != selected_) {
                    selected_ = current.row();
                    showType();
                }
            });

    variables_->setObjectName(QStringLiteral("gprop"));
    variables_->setModel(variablesModel_);
    variables_->horizontalHeader()->setSectionResizeMode(int(VariableColumn::Description), QHeaderView::Stretch);
    fixColumn(variables_->horizontalHeader(), int(VariableColumn::Id), 52);
    fixColumn(variables_->horizontalHeader(), int(VariableColumn::Value), 96);
    connect(variables_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &BatteryTypesWindow::updateButtons);

    allowed_->setObjectName(QStringLiteral("gbpostupy"));
    allowed_->setModel(allowedModel_);
    allowed_->horizontalHeader()->setSectionResizeMode(AllowedProceduresModel::kNameColumn, QHeaderView::Stretch);
    fixColumn(allowed_->horizontalHeader(), AllowedProceduresModel::kEnabledColumn, 48);
    allowed_->setColumnHidden(AllowedProceduresModel::kNumberColumn, true);

    interval_ = new QSpinBox(this);
    interval_->setObjectName(QStringLiteral("pdt_pr"));
    interval_->setRange(0, std::numeric_limits<std::uint16_t>::max());
    interval_->setAlignment(Qt::AlignRight);
    interval_->setMinimumWidth(90);
    interval_->setReadOnly(!serviceRights_);
    if (!serviceRights_)
        interval_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    connect(interval_, &QSpinBox::valueChanged, this, &BatteryTypesWindow::editInterval);

    add_ = button("btn_badd", QStringLiteral("+"), QStringLiteral("Přidat baterii"));
    remove_ = button("btn_bdel", QStringLiteral("-"), QStringLiteral("Odebrat baterii"));
    up_ = button("btn_bup", QString(), QStringLiteral("Posunout nahoru"));
    up_->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    down_ = button("btn_bdn", QString(), QStringLiteral("Posunout dolů"));
    down_->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    for (QPushButton* b : {add_, remove_, up_, down_})
        b->setFixedWidth(40);
    copy_ =
        button("bcopy", QStringLiteral("Kopíruj"), QStringLiteral("Zkopírovat proměnné, interval a postupy (Ctrl+C)"));
    paste_ = button("bpaste", QStringLiteral("Vlož"), QStringLiteral("Vložit zkopírované do vybrané baterie (Ctrl+V)"));
    save_ = button("btn_buloz", QStringLiteral("Ulož"), QStringLiteral("Uložit baterie do souboru"));
    addVariable_ = button("btn_bvadd", QStringLiteral("+"), QStringLiteral("Přidat proměnnou"));
    removeVariable_ = button("btn_bvdel", QStringLiteral("-"), QStringLiteral("Odebrat proměnnou"));
    for (QPushButton* b : {addVariable_, removeVariable_})
        b->setFixedWidth(40);
    auto* close = new QPushButton(QStringLiteral("Zavři"), this);
    close->setObjectName(QStringLiteral("btn_bzavri"));
    close->setAutoDefault(false);

    connect(add_, &QPushButton::clicked, this, &BatteryTypesWindow::addType);
    connect(remove_, &QPushButton::clicked, this, &BatteryTypesWindow::removeType);
    connect(up_, &QPushButton::clicked, this, [this] { moveType(true); });
    connect(down_, &QPushButton::clicked, this, [this] { moveType(false); });
    connect(copy_, &QPushButton::clicked, this, &BatteryTypesWindow::copyType);
    connect(paste_, &QPushButton::clicked, this, &BatteryTypesWindow::pasteType);
    connect(save_, &QPushButton::clicked, this, &BatteryTypesWindow::save);
    connect(addVariable_, &QPushButton::clicked, this, &BatteryTypesWindow::addVariable);
    connect(removeVariable_, &QPushButton::clicked, this, &BatteryTypesWindow::removeVariable);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    if (serviceRights_) {
        connect(new QShortcut(QKeySequence::Copy, types_, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated,
                this, &BatteryTypesWindow::copyType);
        connect(new QShortcut(QKeySequence::Paste, types_, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated,
                this, [this] {
                    if (editor_.canPaste())
                        pasteType();
                });
    }

    auto* typeButtons = new QHBoxLayout;
    for (QPushButton* b : {add_, remove_, up_, down_})
        typeButtons->addWidget(b);
    typeButtons->addStretch();
    typeButtons->addWidget(copy_);
    typeButtons->addWidget(paste_);
    auto* left = new QVBoxLayout;
    left->addWidget(buddyLabel(QStringLiteral("Typy baterií"), types_, this));
    left->addWidget(types_, 1);
    left->addLayout(typeButtons);

    auto* variableButtons = new QHBoxLayout;
    variableButtons->addWidget(addVariable_);
    variableButtons->addWidget(removeVariable_);
    variableButtons->addStretch();
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(buddyLabel(QStringLiteral("Interval změny proudu"), interval_, this));
    intervalRow->addWidget(interval_);
    intervalRow->addWidget(buddyLabel(QStringLiteral("s"), interval_, this));
    intervalRow->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buddyLabel(QStringLiteral("Vlastnosti baterie"), variables_, this));
    right->addWidget(variables_, 3);
    right->addLayout(variableButtons);
    right->addWidget(buddyLabel(QStringLiteral("Povolené postupy"), allowed_, this));
    right->addWidget(allowed_, 2);
    right->addLayout(intervalRow);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 5);
    columns->addSpacing(8);
    columns->addLayout(right, 4);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(save_);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);
}

void BatteryTypesWindow::showMessage(const QString& text)
{
    showRefusal(this, text.toStdString());
}

void BatteryTypesWindow::showReport(const FileReport& report)
{
    if (!report.ok())
        showMessage(qs(report.status.error()));
    for (const auto& w : report.warnings)
        showMessage(qs(w));
}

void BatteryTypesWindow::selectType(int row)
{
    typesModel_->refresh();
    selected_ = std::min(row, table_.size() - 1);
    if (selected_ >= 0) {
        const int column = std::max(types_->currentIndex().column(), 0);
        const QSignalBlocker block(types_->selectionModel());
        types_->setCurrentIndex(typesModel_->index(selected_, column));
    }
    showType();
}

void BatteryTypesWindow::showType()
{
    variablesModel_->setType(selected_);
    allowedModel_->setType(selected_);
    {
        const QSignalBlocker block(interval_);
        interval_->setValue(selected_ >= 0 ? QString::fromStdString(editor_.intervalText(selected_)).toInt() : 0);
    }
    updateButtons();
}

void BatteryTypesWindow::updateButtons()
{
    const bool any = selected_ >= 0;
    remove_->setEnabled(any);
    up_->setEnabled(any && selected_ > 0);
    down_->setEnabled(any && selected_ < table_.size() - 1);
    copy_->setEnabled(any);
    paste_->setEnabled(any && editor_.canPaste());
    save_->setEnabled(editor_.modified());
    addVariable_->setEnabled(any);
    removeVariable_->setEnabled(any && variables_->currentIndex().isValid());
    interval_->setEnabled(any);
}

void BatteryTypesWindow::addType()
{
    const Result<int> row = editor_.addType(selected_);
    if (!row) {
        showMessage(qs(row.error()));
        return;
    }
    selectType(*row);
    types_->setCurrentIndex(typesModel_->index(*row, int(BatteryColumn::Name)));
    types_->setFocus();
}

void BatteryTypesWindow::removeType()
{
    if (const Status removed = editor_.removeType(selected_); !removed) {
        showMessage(qs(removed.error()));
        return;
    }
    selectType(selected_);
}

void BatteryTypesWindow::moveType(bool up)
{
    const Result<int> row = up ? editor_.moveTypeUp(selected_) : editor_.moveTypeDown(selected_);
    if (!row) {
        showMessage(qs(row.error()));
        return;
    }
    selectType(*row);
}

void BatteryTypesWindow::addVariable()
{
    const Result<int> row = editor_.addVariable(selected_);
    if (!row) {
        showMessage(qs(row.error()));
        return;
    }
    variablesModel_->refresh();
    const QModelIndex first = variablesModel_->index(*row, int(VariableColumn::Description));
    variables_->setCurrentIndex(first);
    variables_->setFocus();
    updateButtons();
}

void BatteryTypesWindow::removeVariable()
{
    const int row = variables_->currentIndex().row();
    if (const Status removed = editor_.removeVariable(selected_, row); !removed) {
        showMessage(qs(removed.error()));
        return;
    }
    variablesModel_->refresh();
    const int count = variablesModel_->rowCount();
    if (count > 0)
        variables_->setCurrentIndex(variablesModel_->index(std::min(row, count - 1), 0));
    updateButtons();
}

void BatteryTypesWindow::copyType()
{
    if (const Status copied = editor_.copyType(selected_); !copied)
        showMessage(qs(copied.error()));
    updateButtons();
}

void BatteryTypesWindow::pasteType()
{
    if (const Status pasted = editor_.pasteInto(selected_); !pasted)
        showMessage(qs(pasted.error()));
    showType();
}

void BatteryTypesWindow::save()
{
    showReport(editor_.save());
    typesModel_->refresh();
    selectType(selected_);
}

void BatteryTypesWindow::editInterval(int value)
{
    if (const Status edited = editor_.editInterval(selected_, std::to_string(value)); !edited)
        showMessage(qs(edited.error()));
    updateButtons();
}

void BatteryTypesWindow::done(int result)
{
    if (const auto question = editor_.closeQuestion()) {
        const AskAnswer answer = ask(this, qs(stationName_), qs(*question), false);
        if (answer == AskAnswer::Cancel)
            return;
        const FileReport closed = editor_.close(answer == AskAnswer::Yes ? SaveAnswer::Save : SaveAnswer::Discard);
        showReport(closed);
        if (!closed.ok() && answer == AskAnswer::Yes) {
            selectType(selected_);
            return;
        }
    }
    savePlacement(*this, config_, kSection);
    QDialog::done(result);
}

} // namespace kapsorel::ui
