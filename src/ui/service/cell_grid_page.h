// The measurement module's page "  Články  ": the cell grid `Gclanky` over the core's
// CellGrid, its header buttons "v" and the batches over the selected rows.
#pragma once

#include "core/service/cell_grid.h"
#include "ui/service/service_context.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QSpinBox;
class QTableWidget;

namespace kapsorel::ui {

class DecimalBox;

class CellGridPage final : public QWidget {
    Q_OBJECT
  public:
    CellGridPage(const ServiceContext& context, QWidget* parent = nullptr);

    const CellGrid& grid() const { return grid_; }
    // Shows the records of a whole-module read in the rows.
    void showRecords(const CellAdcTable& table);

  signals:
    void message(const QString& text);

  private:
    void refresh();
    // `records`: the batch reads the selected rows' records, which are then known.
    void runBatch(QWidget* control, std::function<Result<CellGrid>(ModuleLink&, CellGrid)> job, bool records = false);

    ServiceContext context_;
    CellGrid grid_{};
    QTableWidget* table_ = nullptr;
    QSpinBox* address_ = nullptr;
    QSpinBox* config_ = nullptr;
    DecimalBox* vMin_ = nullptr;
    DecimalBox* vMax_ = nullptr;
    QCheckBox* all_ = nullptr;
};

} // namespace kapsorel::ui
