// The three grids of the battery types window as item models over the battery types
// editor (types, the selected type's variables, its allowed procedures), the grid view
// that moves between cells the way a grid editor does, and the chemistry drop-down.
#pragma once

#include "core/definitions/battery_types_editor.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

namespace kapsorel::ui {

// Shows the message of a refused edit of `cell` (`typed`: the text refused).
using RefusalReporter = std::function<void(const QModelIndex& cell, const QString& typed, const QString& message)>;

class BatteryGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    BatteryGridModel(BatteryTypesEditor& editor, RefusalReporter report, QObject* parent = nullptr);

    void setEditable(bool editable) { editable_ = editable; }
    // The battery type whose rows a variables or procedures grid shows (−1 = none).
    void setType(int type);
    int type() const { return type_; }
    void refresh();
    // The text a cleared cell of `column` takes (numbers clear to 0).
    virtual QString clearedText(int column) const;

  signals:
    void edited();

  protected:
    bool accepted(const Status& status, const QModelIndex& cell, const QString& typed);

    BatteryTypesEditor& editor_;
    RefusalReporter report_;
    bool editable_ = false;
    int type_ = -1;
};

// gbaterie: "Hlava", "Popis", "Typ".
class BatteryTypesModel final : public BatteryGridModel {
    Q_OBJECT
  public:
    using BatteryGridModel::BatteryGridModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QString clearedText(int column) const override;
};

// gprop: "Popis", "ID", "Hodnota" of the shown type.
class BatteryVariablesModel final : public BatteryGridModel {
    Q_OBJECT
  public:
    using BatteryGridModel::BatteryGridModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QString clearedText(int column) const override;
};

// gbpostupy: "Postup", "En." (a check box, "Y" or "N") and the hidden procedure number.
class AllowedProceduresModel final : public BatteryGridModel {
    Q_OBJECT
  public:
    using BatteryGridModel::BatteryGridModel;
    static constexpr int kNameColumn = 0;
    static constexpr int kEnabledColumn = 1;
    static constexpr int kNumberColumn = 2;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  private:
    std::vector<AllowedProcedureRow> rows() const;
};

// A grid editor's keys: Tab and Enter move to the next cell (Enter also ends an edit),
// Delete clears the current cell.
class GridView final : public QTableView {
    Q_OBJECT
  public:
    explicit GridView(QWidget* parent = nullptr);

    // Shows why an edit was refused; a text typed into the cell's editor waits there
    // again afterwards, to be put right or dropped with Escape.
    void refuseEdit(const QModelIndex& cell, const QString& typed, const QString& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    bool committing_ = false;
};

// The "Typ" cell offers "NiCd" and "Pb".
class ChemistryDelegate final : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

} // namespace kapsorel::ui
