#include "ui/main/battery_history_window.h"

#include "core/base/locale_formats.h"
#include "core/records/history_index.h"
#include "core/records/sqlite_history_store.h"
#include "ui/common/gui_queue.h"
#include "ui/common/window_placement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "Historie";

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

struct Lookup {
    std::vector<HistoryEntry> entries;
    std::string error;
};

Lookup lookUp(const std::filesystem::path& dataFolder, const std::filesystem::path& archiveFolder,
              const std::string& batteryNumber)
{
    auto store = SqliteHistoryStore::open(historyStorePath(dataFolder));
    if (!store)
        return {{}, store.error()};
    auto found = batteryHistory(**store, HistoryFolders{dataFolder, archiveFolder}, batteryNumber);
    if (!found)
        return {{}, found.error()};
    return {std::move(found.value()), {}};
}

} // namespace

BatteryHistoryWindow::BatteryHistoryWindow(StationRuntime& runtime, OpenTest openTest, OpenTest printTest,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), runtime_(runtime), openTest_(std::move(openTest)), printTest_(std::move(printTest))
{
    setObjectName(QStringLiteral("batteryHistory"));
    setWindowTitle(QStringLiteral("Historie baterie"));
    auto* layout = new QVBoxLayout(this);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Číslo &baterie"), this);
    battery_ = new QLineEdit(this);
    battery_->setObjectName(QStringLiteral("historyBattery"));
    battery_->setMaxLength(20);
    label->setBuddy(battery_);
    findButton_ = new QPushButton(QStringLiteral("&Hledat"), this);
    findButton_->setObjectName(QStringLiteral("historyFind"));
    findButton_->setDefault(true);
    row->addWidget(label);
    row->addWidget(battery_, 1);
    row->addWidget(findButton_);
    layout->addLayout(row);

    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName(QStringLiteral("historyTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Začátek"), QStringLiteral("Typ baterie"),
                                       QStringLiteral("Postup"), QStringLiteral("Měřil"), QStringLiteral("Výsledek"),
                                       QStringLiteral("Soubor")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    // The columns fit their contents and the file column takes what they leave of the
    // window's width, also right after a fill.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(table_->columnCount() - 1, QHeaderView::Stretch);
    layout->addWidget(table_, 1);

    auto* bottom = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("historyStatus"));
    openButton_ = new QPushButton(QStringLiteral("&Otevři"), this);
    openButton_->setObjectName(QStringLiteral("historyOpen"));
    openButton_->setEnabled(false);
    printButton_ = new QPushButton(QStringLiteral("&Tisk"), this);
    printButton_->setObjectName(QStringLiteral("historyPrint"));
    printButton_->setEnabled(false);
    bottom->addWidget(status_, 1);
    bottom->addWidget(openButton_);
    bottom->addWidget(printButton_);
    layout->addLayout(bottom);

    connect(findButton_, &QPushButton::clicked, this, [this] { find(); });
    connect(battery_, &QLineEdit::returnPressed, this, [this] { find(); });
    connect(openButton_, &QPushButton::clicked, this, &BatteryHistoryWindow::openChosen);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &BatteryHistoryWindow::openChosen);
    connect(printButton_, &QPushButton::clicked, this, &BatteryHistoryWindow::printChosen);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool any = chosen() != nullptr;
        openButton_->setEnabled(any);
        printButton_->setEnabled(any);
    });
    resize(820, 360);
}

BatteryHistoryWindow::~BatteryHistoryWindow()
{
    if (lookup_)
        lookup_->wait();
}

void BatteryHistoryWindow::showFor(const std::string& batteryNumber)
{
    if (!placed_) {
        restorePlacement(*this, runtime_.config(), kSection);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
    if (!batteryNumber.empty() && lookup_ == nullptr) {
        battery_->setText(qs(batteryNumber));
        find();
    }
}

void BatteryHistoryWindow::find(std::function<void()> done)
{
    const std::string number = battery_->text().trimmed().toStdString();
    if (lookup_ || number.empty()) {
        if (done)
            done();
        return;
    }
    findButton_->setEnabled(false);
    status_->setText(QStringLiteral("Hledám…"));
    QPointer<BatteryHistoryWindow> self(this);
    lookup_ =
        QThread::create([self, number, dataFolder = runtime_.dataFolder(), archiveFolder = runtime_.archiveFolder(),
                         done = std::move(done), toGui = appGuiQueue().poster()] {
            Lookup found = lookUp(dataFolder, archiveFolder, number);
            toGui([self, found = std::move(found), done]() mutable {
                if (self) {
                    if (self->lookup_)
                        self->lookup_->wait();
                    self->lookup_ = nullptr;
                    self->findButton_->setEnabled(true);
                    if (!found.error.empty())
                        emit self->message(found.error);
                    self->fill(std::move(found.entries));
                }
                if (done)
                    done();
            });
        });
    connect(lookup_, &QThread::finished, lookup_, &QObject::deleteLater);
    lookup_->start();
}

void BatteryHistoryWindow::fill(std::vector<HistoryEntry> entries)
{
    entries_ = std::move(entries);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(entries_.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const HistoryEntry& e = entries_[static_cast<std::size_t>(r)];
        const QStringList cells{qs(formatDateTime(e.start)),
                                qs(e.batteryType),
                                qs(e.procedure),
                                qs(e.operatorName),
                                qs(historyResultText(e.result)),
                                qs((e.archived ? "Archiv: " : "") + e.path.filename().string())};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(qs(e.path.string()));
            table_->setItem(r, c, item);
        }
    }
    status_->setText(QStringLiteral("Testů: ") + QString::number(entries_.size()));
    openButton_->setEnabled(false);
    printButton_->setEnabled(false);
}

const HistoryEntry* BatteryHistoryWindow::chosen() const
{
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int row = selected.front()->row();
    if (row < 0 || row >= static_cast<int>(entries_.size()))
        return nullptr;
    return &entries_[static_cast<std::size_t>(row)];
}

void BatteryHistoryWindow::openChosen()
{
    const HistoryEntry* entry = chosen();
    if (entry && openTest_)
        openTest_(std::filesystem::path(entry->path)); // a copy: opening may refill the list
}

void BatteryHistoryWindow::printChosen()
{
    const HistoryEntry* entry = chosen();
    if (entry && printTest_)
        printTest_(std::filesystem::path(entry->path));
}

void BatteryHistoryWindow::hideEvent(QHideEvent* event)
{
    savePlacement(*this, runtime_.config(), kSection);
    QWidget::hideEvent(event);
}

} // namespace kapsorel::ui
