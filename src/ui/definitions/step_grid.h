// The procedure editor's step grid `gkroky`: one row per step of the editor's buffer, the
// headers and colours of each step type, and cell edits checked where they are typed.
#pragma once

#include "core/base/result.h"
#include "core/definitions/procedure_editor_state.h"

#include <QTableWidget>
#include <functional>

namespace kapsorel::ui {

class StepGrid final : public QTableWidget {
    Q_OBJECT
  public:
    // A typed cell: the editor state takes it or refuses with the message to show.
    using EditCell = std::function<Status(int step, int column, const QString& text)>;

    StepGrid(const ProcedureEditorState& state, EditCell edit, QWidget* parent = nullptr);

    // Refills every row from the state and keeps the current cell where it can.
    void fill();
    // The headers of the columns 3-6 for the current row's step type.
    void showHeadersForCurrentRow();
    // The selected step rows, top to bottom (the current row when nothing is selected).
    std::pair<int, int> selectedSteps() const;

    // A refused edit: the message is shown and the cell opens again with the typed text.
    void refuseEdit(int row, int column, const QString& typed, const std::string& message);
    // The text a reopened editor starts with (empty when the cell is not being retried).
    QString retryText(int row, int column) const;
    void takeRetry() { retry_ = {}; }

  signals:
    // A double click on a cell that opens a window rather than an editor.
    void conditionCellOpened(int step, int column);
    void valueCellOpened(int step, int column);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Qt::ItemFlags cellFlags(std::uint8_t type, int column) const;

    struct Retry {
        int row = -1;
        int column = -1;
        QString text;
    };

    const ProcedureEditorState& state_;
    EditCell edit_;
    Retry retry_;
};

} // namespace kapsorel::ui
