#include "ui/reports/layouts_window.h"

#include "core/base/files.h"
#include "ui/common/ask.h"
#include "ui/common/refusal.h"
#include "ui/common/window_placement.h"
#include "ui/reports/report_colour.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "Sestavy";
constexpr const char* kFileKey = "Soubor";
constexpr int kColumns = static_cast<int>(LayoutColumn::Count);

LayoutColumn columnAt(int c)
{
    return static_cast<LayoutColumn>(c);
}

QString fileFilter()
{
    return QStringLiteral("Soubor sestavy (*.ses)");
}

QString chooseWithDialog(QWidget* owner, bool save, const QString& folder)
{
    QFileDialog dialog(owner, save ? QStringLiteral("Ulož jako") : QStringLiteral("Otevři"), folder, fileFilter());
    dialog.setObjectName(QStringLiteral("dlg_soubor"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QStringLiteral("ses"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save)
        dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QPushButton* button(QWidget* owner, const char* name, const QString& text, const QString& tip)
{
    auto* b = new QPushButton(text, owner);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}

} // namespace

LayoutsWindow::LayoutsWindow(ConfigFile& config, std::filesystem::path folder, QString stationName, PrintLayout print,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), config_(config), folder_(std::move(folder)), stationName_(std::move(stationName)),
      print_(std::move(print)), choose_(chooseWithDialog)
{
    setObjectName(QStringLiteral("TFsestavy"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* menuBar = new QMenuBar(this);
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("Soubor"));
    fileMenu->setObjectName(QStringLiteral("mn_soubor"));
    const auto command = [&](const char* name, const QString& text, auto slot) {
        QAction* a = fileMenu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    command("mi_novy", QStringLiteral("Nový"), &LayoutsWindow::newLayout);
    command("mi_otevri", QStringLiteral("Otevři"), &LayoutsWindow::openLayout);
    command("mi_uloz", QStringLiteral("Ulož"), [this] { save(); });
    command("mi_uloz_jako", QStringLiteral("Ulož jako"), [this] { saveAs(); });
    fileMenu->addSeparator();
    command("mi_tisk", QStringLiteral("Tisk"), &LayoutsWindow::print);

    auto* plus = button(this, "btn_plus", QStringLiteral("+"), QStringLiteral("Přidat položku"));
    auto* minus = button(this, "btn_minus", QStringLiteral("−"), QStringLiteral("Odebrat položku"));
    auto* down = button(this, "btn_dn", QStringLiteral("▼"), QStringLiteral("Posunout dolů"));
    auto* up = button(this, "btn_up", QStringLiteral("▲"), QStringLiteral("Posunout nahoru"));
    auto* printButton = button(this, "btn_tisk", QStringLiteral("Tisk"), QStringLiteral("Tisk aktuálního testu"));
    for (QPushButton* b : {plus, minus, down, up})
        b->setFixedWidth(36);

    portrait_ = new QRadioButton(QStringLiteral("Na výšku"), this);
    portrait_->setObjectName(QStringLiteral("rb_vysku"));
    landscape_ = new QRadioButton(QStringLiteral("Na šířku"), this);
    landscape_->setObjectName(QStringLiteral("rb_sirku"));

    millimetres_ = new QDoubleSpinBox(this);
    millimetres_->setObjectName(QStringLiteral("ed_mm"));
    millimetres_->setDecimals(1);
    millimetres_->setRange(0.0, 17000.0);
    auto* mmLabel = new QLabel(QStringLiteral("mm"), this);
    mmLabel->setBuddy(millimetres_);
    units_ = new QLabel(QStringLiteral("= 0"), this);
    units_->setObjectName(QStringLiteral("lb_jednotky"));
    units_->setMinimumWidth(70);

    auto* tools = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{plus, minus, down, up})
        tools->addWidget(w);
    tools->addSpacing(16);
    tools->addWidget(portrait_);
    tools->addWidget(landscape_);
    tools->addSpacing(16);
    tools->addWidget(millimetres_);
    tools->addWidget(mmLabel);
    tools->addWidget(units_);
    tools->addStretch(1);
    tools->addWidget(printButton);

    grid_ = new QTableWidget(0, kColumns, this);
    grid_->setObjectName(QStringLiteral("g_sestava"));
    QStringList headers;
    for (int c = 0; c < kColumns; ++c)
        headers << QString::fromUtf8(layoutColumnTitle(columnAt(c)));
    grid_->setHorizontalHeaderLabels(headers);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(tools);
    layout->addWidget(grid_);

    connect(plus, &QPushButton::clicked, this, [this] {
        if (Status s = editing_.add(); !s) {
            showRefusal(this, s.error());
            return;
        }
        fillGrid();
        grid_->setCurrentCell(grid_->rowCount() - 1, 0);
    });
    connect(minus, &QPushButton::clicked, this, [this] {
        const int row = currentRow();
        if (row < 0)
            return;
        editing_.remove(static_cast<std::size_t>(row));
        fillGrid();
        grid_->setCurrentCell(std::min(row, grid_->rowCount() - 1), 0);
    });
    connect(down, &QPushButton::clicked, this, [this] {
        if (const int row = currentRow(); row >= 0) {
            const auto to = editing_.moveDown(static_cast<std::size_t>(row));
            fillGrid();
            grid_->setCurrentCell(static_cast<int>(to), 0);
        }
    });
    connect(up, &QPushButton::clicked, this, [this] {
        if (const int row = currentRow(); row >= 0) {
            const auto to = editing_.moveUp(static_cast<std::size_t>(row));
            fillGrid();
            grid_->setCurrentCell(static_cast<int>(to), 0);
        }
    });
    connect(printButton, &QPushButton::clicked, this, &LayoutsWindow::print);
    connect(portrait_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !filling_)
            editing_.setOrientation(PageOrientation::Portrait);
    });
    connect(landscape_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !filling_)
            editing_.setOrientation(PageOrientation::Landscape);
    });
    connect(millimetres_, &QDoubleSpinBox::valueChanged, this,
            [this](double mm) { units_->setText(QStringLiteral("= %1").arg(millimetresToUnits(mm))); });
    connect(grid_, &QTableWidget::cellChanged, this, &LayoutsWindow::cellEdited);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &LayoutsWindow::cellDoubleClicked);

    resize(900, 420);
    restorePlacement(*this, config_, kSection);

    if (Status s = ensureFolder(folder_); !s) {
        // Nothing to edit without the folder: the refusal is said, and the window is not
        // shown (whoever opened it lets it go).
        showRefusal(this, s.error());
        folderReady_ = false;
        startUntitled();
        return;
    }
    const std::string last = config_.readString(kSection, kFileKey, "");
    if (last.empty() || !std::filesystem::exists(last) || !load(last))
        startUntitled();
}

int LayoutsWindow::currentRow() const
{
    const int row = grid_->currentRow();
    return row >= 0 && row < grid_->rowCount() ? row : (grid_->rowCount() > 0 ? grid_->rowCount() - 1 : -1);
}

void LayoutsWindow::startUntitled()
{
    editing_.reset({});
    path_ = folder_ / layout_messages::kUntitledName;
    untitled_ = true;
    fillGrid();
    updateCaption();
}

bool LayoutsWindow::load(const std::filesystem::path& path)
{
    if (!std::filesystem::exists(path))
        return false;
    auto layout = loadLayoutFile(path.string());
    if (!layout) {
        showRefusal(this, layout.error());
        return false;
    }
    editing_.reset(std::move(*layout));
    path_ = path;
    untitled_ = false;
    fillGrid();
    updateCaption();
    return true;
}

bool LayoutsWindow::saveTo(const std::filesystem::path& path)
{
    if (Status s = saveLayoutFile(path.string(), editing_.layout()); !s) {
        showRefusal(this, s.error());
        return false;
    }
    path_ = path;
    untitled_ = false;
    editing_.setModified(false);
    updateCaption();
    return true;
}

bool LayoutsWindow::save()
{
    return untitled_ ? saveAs() : saveTo(path_);
}

bool LayoutsWindow::saveAs()
{
    const QString chosen = choose_(this, true, QString::fromStdString(folder_.string()));
    if (chosen.isEmpty())
        return false;
    return saveTo(chosen.toStdString());
}

bool LayoutsWindow::settleChanges(bool withCancel)
{
    if (!editing_.modified())
        return true;
    switch (ask(this, stationName_, QString::fromUtf8(layout_messages::kSaveQuestion), withCancel)) {
    case AskAnswer::Yes:
        return save(); // a cancelled or failed save keeps the layout
    case AskAnswer::No:
        return true;
    case AskAnswer::Cancel:
        return false;
    }
    return false;
}

void LayoutsWindow::newLayout()
{
    if (settleChanges(true))
        startUntitled();
}

void LayoutsWindow::openLayout()
{
    if (!settleChanges(true))
        return;
    const QString chosen = choose_(this, false, QString::fromStdString(folder_.string()));
    if (!chosen.isEmpty())
        load(chosen.toStdString());
}

void LayoutsWindow::print()
{
    if (!print_ || !print_(editing_.layout()))
        showRefusal(this, "Nelze");
}

void LayoutsWindow::closeEvent(QCloseEvent* event)
{
    if (!folderReady_) {
        event->accept();
        return;
    }
    if (!settleChanges(true)) {
        event->ignore();
        return;
    }
    savePlacement(*this, config_, kSection);
    config_.writeString(kSection, kFileKey, path_.string());
    event->accept();
}

void LayoutsWindow::updateCaption()
{
    setWindowTitle(QStringLiteral("Sestavy - ") + QString::fromStdString(path_.filename().string()));
}

void LayoutsWindow::fillGrid()
{
    filling_ = true;
    const auto& items = editing_.layout().items;
    grid_->setRowCount(static_cast<int>(items.size()));
    for (int r = 0; r < grid_->rowCount(); ++r)
        fillRow(r);
    const bool landscape = editing_.layout().orientation == PageOrientation::Landscape;
    landscape_->setChecked(landscape);
    portrait_->setChecked(!landscape);
    filling_ = false;
}

void LayoutsWindow::fillRow(int row)
{
    const bool wasFilling = filling_;
    filling_ = true;
    const LayoutItem& item = editing_.layout().items[static_cast<std::size_t>(row)];
    for (int c = 0; c < kColumns; ++c) {
        auto* cell = new QTableWidgetItem(QString::fromStdString(layoutCellText(item, columnAt(c))));
        const LayoutColumn column = columnAt(c);
        if (column == LayoutColumn::Fill || column == LayoutColumn::FrameColour || column == LayoutColumn::Font) {
            cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
            if (column != LayoutColumn::Font) {
                const QColor colour = toQColor(column == LayoutColumn::Fill ? item.fillColour : item.frameColour);
                cell->setBackground(colour);
                cell->setForeground(colour.lightness() < 128 ? Qt::white : Qt::black);
            }
        }
        grid_->setItem(row, c, cell);
    }
    filling_ = wasFilling;
}

void LayoutsWindow::cellEdited(int row, int column)
{
    if (filling_)
        return;
    const QString typed = grid_->item(row, column)->text();
    if (Status s = editing_.setCell(static_cast<std::size_t>(row), columnAt(column), typed.toStdString()); !s)
        showRefusal(this, s.error());
    fillRow(row);
}

void LayoutsWindow::cellDoubleClicked(int row, int column)
{
    const auto index = static_cast<std::size_t>(row);
    const LayoutItem& item = editing_.layout().items[index];
    const LayoutColumn which = columnAt(column);
    if (which == LayoutColumn::Font) {
        QFont font(QString::fromStdString(item.fontName), fontPoints(item.fontSize));
        font.setBold(item.fontStyle & font_style::kBold);
        font.setItalic(item.fontStyle & font_style::kItalic);
        font.setUnderline(item.fontStyle & font_style::kUnderline);
        font.setStrikeOut(item.fontStyle & font_style::kStrikeOut);
        QFontDialog dialog(font, this);
        dialog.setObjectName(QStringLiteral("dlg_font"));
        dialog.setOption(QFontDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QFont chosen = dialog.selectedFont();
        const std::uint8_t style = static_cast<std::uint8_t>(
            (chosen.bold() ? font_style::kBold : 0) | (chosen.italic() ? font_style::kItalic : 0) |
            (chosen.underline() ? font_style::kUnderline : 0) | (chosen.strikeOut() ? font_style::kStrikeOut : 0));
        const QColor colour = QColorDialog::getColor(toQColor(item.fontColour), this, QStringLiteral("Barva písma"),
                                                     QColorDialog::DontUseNativeDialog);
        editing_.setFont(index, chosen.family().toStdString(), chosen.pointSize(),
                         colour.isValid() ? fromQColor(colour) : item.fontColour, style);
        fillRow(row);
    } else if (which == LayoutColumn::Fill || which == LayoutColumn::FrameColour) {
        QColorDialog dialog(toQColor(which == LayoutColumn::Fill ? item.fillColour : item.frameColour), this);
        dialog.setObjectName(QStringLiteral("dlg_barva"));
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted)
            return;
        editing_.setColour(index, which, fromQColor(dialog.selectedColor()));
        fillRow(row);
    }
}

} // namespace kapsorel::ui
