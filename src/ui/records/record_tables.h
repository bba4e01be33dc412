// The data window (DataWindow) and the steps window (StepsWindow): grids over the core's data
// and steps tables. The models read the tables' rows directly and format a cell only
// when it is painted, with fixed row heights, so a window costs the same at a million
// samples as at a hundred.
//
// Feeding them (user-interface thread):
//   - after rows were added to the core table: appendRows() (once per refresh; one
//     insertion for all new rows; the view follows the newest row unless the user has
//     scrolled away from it);
//   - after the table was cleared or refilled (a new test, a file opened): reload();
//   - each time the window is opened: setFamily() and setStationName().
#pragma once

#include "core/app/config_file.h"
#include "core/records/sample_table.h"
#include "core/records/step_table.h"
#include "core/station/battery_family.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>
#include <QWidget>
#include <string>

namespace kapsorel::ui {

// Width of a cell column for family "NiCd"; other families hide them.
inline constexpr int kCellColumnWidth = 33;

// The rows of a core table that only grows (or is cleared and refilled) as the view has
// been told of them: new rows are announced in one insertion, a shrunk table is reloaded.
class GrowingTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    int rowCount(const QModelIndex& parent = {}) const override;

    void reload();
    // Rows added to the table since the last call, in one insertion; false when none.
    bool appendRows();

    // Headers of columns [first, first + count) in `font` (the narrow cell columns).
    void setHeaderFont(int first, int count, const QFont& font);

  protected:
    explicit GrowingTableModel(QObject* parent) : QAbstractTableModel(parent) {}
    // The font role of header `section`: the font set for it, or none.
    QVariant headerFont(int section) const;
    // Rows the core table holds now.
    virtual std::size_t tableSize() const = 0;
    std::size_t shown() const { return shown_; }

  private:
    std::size_t shown_ = 0;
    int fontFirst_ = 0;
    int fontCount_ = 0;
    QFont font_;
};

class SampleTableModel final : public GrowingTableModel {
    Q_OBJECT
  public:
    explicit SampleTableModel(const SampleTable& table, QObject* parent = nullptr);
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Text of a cell as shown.
    QString text(std::size_t row, int column) const;

  private:
    std::size_t tableSize() const override { return table_.size(); }

    const SampleTable& table_;
};

class StepTableModel final : public GrowingTableModel {
    Q_OBJECT
  public:
    explicit StepTableModel(const StepTable& table, QObject* parent = nullptr);
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QString text(std::size_t row, int column) const;

  private:
    std::size_t tableSize() const override { return table_.size(); }

    const StepTable& table_;
};

// A table view that costs nothing per row: fixed row heights, no sizing to contents.
class RecordGrid final : public QTableView {
    Q_OBJECT
  public:
    explicit RecordGrid(QWidget* parent = nullptr);
    // Cell columns [first, first + 20) 33 px wide for "NiCd", hidden otherwise.
    void applyFamily(BatteryFamily family, int firstCellColumn);
    // The cell columns' headers ("Bat10" ... "Bat20" as well) in a font small enough to
    // show them whole in 33 px. Needs the model, a GrowingTableModel.
    void fitCellHeaders(int firstCellColumn);
    // Column `column` as wide as its header or `widest`, the widest text it shows.
    void fitColumn(int column, const QString& widest);
    // Width the grid needs to show every column (the cells 33 px wide) without scrolling
    // sideways, with room for the vertical scroll bar.
    int fullWidth(int firstCellColumn) const;
    // Inserts through `append` and keeps the newest row in view when it was in view.
    template <typename Append> void appendFollowing(Append append)
    {
        const bool atBottom = followsNewest();
        if (append() && atBottom)
            scrollToBottom();
    }
    bool followsNewest() const;
};

class DataWindow final : public QWidget {
    Q_OBJECT
  public:
    // `config` keeps the window's placement (section "DataWindow") and must outlive it.
    DataWindow(const SampleTable& table, ConfigFile& config, QWidget* parent = nullptr);

    void setStationName(const std::string& station);
    void setFamily(BatteryFamily family);
    void reload();
    void appendRows();
    // Writes the placement (at exit).
    void saveState();

    RecordGrid* grid() const { return grid_; }
    SampleTableModel* model() const { return model_; }

  private:
    ConfigFile& config_;
    SampleTableModel* model_ = nullptr;
    RecordGrid* grid_ = nullptr;
};

class StepsWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit StepsWindow(const StepTable& table, QWidget* parent = nullptr);

    void setStationName(const std::string& station);
    void setFamily(BatteryFamily family);
    void reload();
    void appendRows();

    RecordGrid* grid() const { return grid_; }
    StepTableModel* model() const { return model_; }

  private:
    StepTableModel* model_ = nullptr;
    RecordGrid* grid_ = nullptr;
};

} // namespace kapsorel::ui
