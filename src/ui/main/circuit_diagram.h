// The main window's circuit diagram ("Pobvod"): source and load boxes, the charging and
// discharging switches, the battery with 20 cell bars (NiCd) or one wide bar, and the
// value labels. Everything is placed in proportion to the widget's size.
#pragma once

#include "core/app/display_model.h"
#include "core/app/service_access.h"

#include <QWidget>
#include <array>

class QLabel;

namespace kapsorel::ui {

class CircuitDiagram final : public QWidget {
    Q_OBJECT
  public:
    // Elements a click can land on (the hidden service sequence counts them).
    enum class Element { None, Source, Load, Battery, ChargeSwitch, DischargeSwitch };

    explicit CircuitDiagram(QWidget* parent = nullptr);

    // 20 cell bars with labels, or one wide bar.
    void setCellBars(bool twenty);
    bool cellBars() const { return twenty_; }
    void setSwitches(bool charging, bool discharging, bool drive);
    bool chargingClosed() const { return charging_; }
    bool dischargingClosed() const { return discharging_; }
    bool driveOn() const { return drive_; }

    // Bar i (the wide bar is bar 0) takes position, colours and label.
    void setCellBar(int i, const CellBar& bar);
    const CellBar& cellBar(int i) const { return bars_[static_cast<std::size_t>(i)]; }
    QLabel* cellLabel(int i) const { return cellLabels_[static_cast<std::size_t>(i)]; }

    // Places every element and label for the present size.
    void layOut();

    QLabel* valueLabel(const char* name) const;
    // The rectangle of an element in widget coordinates.
    QRect elementRect(Element e) const;
    Element elementAt(QPoint p) const;

  signals:
    void elementClicked(kapsorel::ui::CircuitDiagram::Element element);
    void stationLabelDoubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QRect batteryRect() const;
    int returnWireY() const;
    QRect barRect(int i) const;

    bool twenty_ = true;
    bool charging_ = false;
    bool discharging_ = false;
    bool drive_ = false;
    std::array<CellBar, 20> bars_{};
    std::array<QLabel*, 20> cellLabels_{};
    QLabel* lstanice_ = nullptr;
};

// The element as the hidden service sequence counts it.
DiagramElement serviceElement(CircuitDiagram::Element element);

} // namespace kapsorel::ui
