// The power module's sub-tab "  Sekce  ": the load resistors ("Aodpory") and resistor banks
// ("Aodporniky") with a "FET" button per row that switches the element ("RO"), "Multi",
// "Vypni vše", the sections block's "Načti" and "Ulož", the resistance measurement whose
// "Ulož" fills the row of the element last switched on, and the source panel beside them.
#pragma once

#include "core/service/section_switches.h"
#include "ui/service/service_context.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace kapsorel::ui {

class SourcePanel;

class SectionsTab final : public QWidget {
    Q_OBJECT
  public:
    // `block` is the window's sections block, which "Načti" replaces.
    SectionsTab(const ServiceContext& context, SectionsBlock& block, QWidget* parent = nullptr);

    // The block as the counts and grids show it.
    SectionsBlock blockFromGrids() const;
    // Shows a block's counts and resistances (after a read or an opened settings file).
    void show(const SectionsBlock& block);
    SourcePanel* sourcePanel() const { return source_; }
    // Kind 1 (power module only) measures through "AD" only and adapts the source panel.
    void applyHardwareKind(std::uint8_t kind);

  signals:
    void message(const QString& text);

  private:
    QWidget* elementsBox();
    QWidget* measurementBox();
    void setRows(bool bank, int count);
    // Every row's "FET" button reads "Zapni".
    void offCaptions();
    void click(std::size_t element);
    void allOff();
    void applySwitches(const SectionSwitches& next);
    void showOhms(bool bank, std::size_t row);
    void measure();
    void storeResistance();
    std::size_t resistors() const;
    std::size_t banks() const;

    ServiceContext context_;
    SectionsBlock& block_;
    SectionSwitches switches_;
    std::vector<float> resistorOhms_;
    std::vector<float> bankOhms_;
    QWidget* elements_ = nullptr;
    QSpinBox* resistorCount_ = nullptr;
    QSpinBox* bankCount_ = nullptr;
    QTableWidget* resistorGrid_ = nullptr;
    QTableWidget* bankGrid_ = nullptr;
    QCheckBox* multi_ = nullptr;
    QRadioButton* fromSource_ = nullptr;
    QRadioButton* fromAdc_ = nullptr;
    QLabel* voltage_ = nullptr;
    QLabel* current_ = nullptr;
    QLabel* resistance_ = nullptr;
    float measuredOhms_ = 0;
    SourcePanel* source_ = nullptr;
};

} // namespace kapsorel::ui
