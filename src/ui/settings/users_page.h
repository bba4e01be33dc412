// The " Uživatelé " page of the program settings window: the operator names one per row,
// refilled from the main window's operator list each time the window is shown.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QTableWidget;

namespace kapsorel::ui {

class UsersPage final : public QWidget {
    Q_OBJECT
  public:
    explicit UsersPage(QWidget* parent = nullptr);

    void fill(const std::vector<std::string>& names);
    // The rows' names in order, each cut to what "Kapsorel.usr" keeps (29 characters).
    std::vector<std::string> names() const;
    QTableWidget* grid() const { return grid_; }

  signals:
    void accepted();
    void rejected();

  private:
    QTableWidget* grid_ = nullptr;
};

} // namespace kapsorel::ui
