#include "ui/settings/users_page.h"

#include "core/app/user_list.h"
#include "core/definitions/text_cut.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kapsorel::ui {

UsersPage::UsersPage(QWidget* parent) : QWidget(parent)
{
    grid_ = new QTableWidget(0, 1, this);
    grid_->setObjectName(QStringLiteral("guziv"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Uživatel")});
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(22);

    auto* add = new QPushButton(QStringLiteral("+"), this);
    add->setObjectName(QStringLiteral("uziv_plus"));
    auto* remove = new QPushButton(QStringLiteral("-"), this);
    remove->setObjectName(QStringLiteral("uziv_minus"));
    for (QPushButton* b : {add, remove})
        b->setFixedWidth(32);
    connect(add, &QPushButton::clicked, this, [this] {
        const int row = grid_->rowCount();
        grid_->insertRow(row);
        grid_->setItem(row, 0, new QTableWidgetItem);
        grid_->setCurrentCell(row, 0);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (const int row = grid_->currentRow(); row >= 0)
            grid_->removeRow(row);
    });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("uziv_ok"));
    auto* cancel = new QPushButton(QStringLiteral("Zruš"), this);
    cancel->setObjectName(QStringLiteral("uziv_zrus"));
    connect(ok, &QPushButton::clicked, this, &UsersPage::accepted);
    connect(cancel, &QPushButton::clicked, this, &UsersPage::rejected);

    auto* rowCommands = new QVBoxLayout;
    rowCommands->addWidget(add);
    rowCommands->addWidget(remove);
    rowCommands->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(grid_, 1);
    top->addLayout(rowCommands);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

void UsersPage::fill(const std::vector<std::string>& names)
{
    grid_->setRowCount(0);
    for (const std::string& name : names) {
        const int row = grid_->rowCount();
        grid_->insertRow(row);
        grid_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(name)));
    }
}

std::vector<std::string> UsersPage::names() const
{
    std::vector<std::string> out;
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const QTableWidgetItem* item = grid_->item(r, 0);
        out.push_back(storedText(item ? item->text().toStdString() : std::string(), kUserNameCapacity));
    }
    return out;
}

} // namespace kapsorel::ui
