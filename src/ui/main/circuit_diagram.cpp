#include "ui/main/circuit_diagram.h"

#include "ui/common/screen_colour.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace kapsorel::ui {

namespace {

constexpr int kBarScale = 250;

// The live values with what a screen reader says before them.
const std::pair<const char*, const char*> kValueLabels[] = {
    {"lnap", "Napětí baterie"},      {"lproud", "Proud"},         {"lkapacita", "Kapacita (Ah)"},
    {"lteplota", "Teplota baterie"}, {"otepl", "Teplota modulu"}, {"znap", "Napětí zdroje"},
    {"ldpr", "Změna proudu"},        {"lver", "Verze programu"}};

} // namespace

CircuitDiagram::CircuitDiagram(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Pobvod"));
    setMinimumSize(480, 320);
    setAutoFillBackground(true);
    for (const auto& [name, spoken] : kValueLabels) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAccessibleName(QString::fromUtf8(spoken));
        QFont f = l->font();
        f.setPointSize(f.pointSize() + 4);
        f.setBold(true);
        l->setFont(f);
    }
    lstanice_ = new QLabel(this);
    lstanice_->setObjectName(QStringLiteral("lstanice"));
    lstanice_->setAccessibleName(QStringLiteral("Stanice"));
    QFont big = lstanice_->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    lstanice_->setFont(big);
    lstanice_->installEventFilter(this);
    for (std::size_t i = 0; i < cellLabels_.size(); ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("lclanek%1").arg(i + 1));
        l->setAccessibleName(QStringLiteral("Článek %1").arg(i + 1));
        l->setAlignment(Qt::AlignCenter);
        QFont f = l->font();
        f.setPointSize(std::max(6, f.pointSize() - 2));
        l->setFont(f);
        cellLabels_[i] = l;
    }
    for (auto& b : bars_)
        b = CellBar{0, wideBarColours(), {}};
}

QLabel* CircuitDiagram::valueLabel(const char* name) const
{
    return findChild<QLabel*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void CircuitDiagram::setCellBars(bool twenty)
{
    twenty_ = twenty;
    if (!twenty_)
        bars_[0].colours = wideBarColours();
    layOut();
}

void CircuitDiagram::setSwitches(bool charging, bool discharging, bool drive)
{
    if (charging == charging_ && discharging == discharging_ && drive == drive_)
        return;
    charging_ = charging;
    discharging_ = discharging;
    drive_ = drive;
    update();
}

void CircuitDiagram::setCellBar(int i, const CellBar& bar)
{
    bars_[static_cast<std::size_t>(i)] = bar;
    if (twenty_) {
        QLabel* l = cellLabels_[static_cast<std::size_t>(i)];
        l->setText(QString::fromStdString(bar.label));
        l->raise();
    } else if (i == 0) {
        bars_[0].colours.frame = wideBarColours().frame;
    }
    update(batteryRect().adjusted(-2, -2, 2, 2));
}

QRect CircuitDiagram::batteryRect() const
{
    const int w = width(), h = height();
    return QRect(w * 18 / 100, h * 42 / 100, w * 64 / 100, h * 38 / 100);
}

int CircuitDiagram::returnWireY() const
{
    // Below the two staggered rows of cell labels, so that no wire runs through them.
    const int below = twenty_ ? 2 + 2 * cellLabels_[0]->sizeHint().height() + height() / 80 : height() / 40;
    return batteryRect().bottom() + below;
}

QRect CircuitDiagram::barRect(int i) const
{
    const QRect b = batteryRect();
    if (!twenty_)
        return b;
    const int slot = b.width() / 20;
    return QRect(b.left() + i * slot + slot / 8, b.top(), slot - slot / 4, b.height());
}

QRect CircuitDiagram::elementRect(Element e) const
{
    const int w = width(), h = height();
    switch (e) {
    case Element::Source:
        return QRect(w * 4 / 100, h * 8 / 100, w * 20 / 100, h * 16 / 100);
    case Element::Load:
        return QRect(w * 76 / 100, h * 8 / 100, w * 20 / 100, h * 16 / 100);
    case Element::Battery:
        return batteryRect();
    case Element::ChargeSwitch:
        return QRect(w * 28 / 100, h * 12 / 100, w * 10 / 100, h * 8 / 100);
    case Element::DischargeSwitch:
        return QRect(w * 62 / 100, h * 12 / 100, w * 10 / 100, h * 8 / 100);
    case Element::None:
        break;
    }
    return {};
}

CircuitDiagram::Element CircuitDiagram::elementAt(QPoint p) const
{
    for (Element e :
         {Element::Source, Element::Load, Element::ChargeSwitch, Element::DischargeSwitch, Element::Battery})
        if (elementRect(e).contains(p))
            return e;
    return Element::None;
}

void CircuitDiagram::layOut()
{
    const int w = width(), h = height();
    const auto place = [&](const char* name, int xPercent, int yPercent) {
        if (QLabel* l = valueLabel(name)) {
            l->adjustSize();
            l->move(w * xPercent / 100, h * yPercent / 100);
        }
    };
    place("lnap", 4, 44);
    place("lproud", 42, 28);
    place("lkapacita", 4, 56);
    place("lteplota", 4, 68);
    place("otepl", 42, 4);
    place("znap", 4, 28);
    place("ldpr", 42, 36);
    place("lver", 84, 92);
    lstanice_->adjustSize();
    lstanice_->move((w - lstanice_->width()) / 2, std::max(h * 88 / 100, returnWireY() + h / 80));
    for (int i = 0; i < 20; ++i) {
        QLabel* l = cellLabels_[static_cast<std::size_t>(i)];
        l->setVisible(twenty_);
        if (!twenty_)
            continue;
        const QRect r = barRect(i);
        const int slot = batteryRect().width() / 20;
        l->setGeometry(r.center().x() - slot / 2, r.bottom() + 2 + (i % 2) * (l->sizeHint().height()), slot,
                       l->sizeHint().height());
    }
    update();
}

void CircuitDiagram::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void CircuitDiagram::mousePressEvent(QMouseEvent* event)
{
    const Element e = elementAt(event->position().toPoint());
    if (e != Element::None)
        emit elementClicked(e);
    QWidget::mousePressEvent(event);
}

bool CircuitDiagram::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstanice_ && event->type() == QEvent::MouseButtonDblClick) {
        emit stationLabelDoubleClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CircuitDiagram::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = width(), h = height();
    const int pen = std::max(2, w / 300);
    const QColor red(Qt::red), black(Qt::black), blue(Qt::blue);

    const QRect source = elementRect(Element::Source);
    const QRect load = elementRect(Element::Load);
    const QRect charge = elementRect(Element::ChargeSwitch);
    const QRect discharge = elementRect(Element::DischargeSwitch);
    const QRect battery = batteryRect();
    const int rail = charge.center().y();
    const int busX = w / 2;

    const auto wire = [&](QColor c, QPoint a, QPoint b) {
        p.setPen(QPen(c, pen));
        p.drawLine(a, b);
    };
    const auto dot = [&](QPoint at) {
        p.setPen(Qt::NoPen);
        p.setBrush(black);
        p.drawEllipse(at, pen * 2, pen * 2);
        p.setBrush(Qt::NoBrush);
    };

    // Boxes.
    QFont boxFont = font();
    boxFont.setPointSize(std::max(8, h / 30));
    boxFont.setBold(true);
    p.setFont(boxFont);
    for (const auto& [r, caption] : {std::pair{source, QStringLiteral("Zdroj")}, {load, QStringLiteral("Zátěž")}}) {
        p.setPen(QPen(black, pen));
        p.setBrush(QColor(0xF4, 0xF4, 0xE8));
        p.drawRoundedRect(r, 6, 6);
        p.drawText(r, Qt::AlignCenter, caption);
    }
    p.setBrush(Qt::NoBrush);

    // Wires leaving the source and the load are red; the switch pairs; the battery side.
    wire(red, QPoint(source.right(), rail), QPoint(charge.left(), rail));
    wire(red, QPoint(load.left(), rail), QPoint(discharge.right(), rail));
    const QColor side = drive_ ? red : black;
    wire(side, QPoint(charge.right(), rail), QPoint(discharge.left(), rail));
    wire(side, QPoint(busX, rail), QPoint(busX, battery.top() - h / 20));
    wire(blue, QPoint(battery.left(), battery.top() - h / 20), QPoint(battery.right(), battery.top() - h / 20));
    const int returnY = returnWireY();
    wire(blue, QPoint(source.center().x(), source.bottom()), QPoint(source.center().x(), returnY));
    wire(blue, QPoint(load.center().x(), load.bottom()), QPoint(load.center().x(), returnY));
    wire(blue, QPoint(source.center().x(), returnY), QPoint(load.center().x(), returnY));
    dot(QPoint(busX, rail));
    dot(QPoint(busX, battery.top() - h / 20));

    // Switches: closed and red while on, open and black otherwise.
    const auto drawSwitch = [&](const QRect& r, bool closed) {
        const QColor c = closed ? red : black;
        p.setPen(QPen(c, pen + 1));
        const QPoint a(r.left(), rail), b(r.right(), rail);
        dot(a);
        dot(b);
        p.setPen(QPen(c, pen + 1));
        if (closed)
            p.drawLine(a, b);
        else
            p.drawLine(a, QPoint(r.right() - r.width() / 8, rail - r.height() / 2));
    };
    drawSwitch(charge, charging_);
    drawSwitch(discharge, discharging_);

    // The battery's bars.
    const QPalette pal = palette();
    const int count = twenty_ ? 20 : 1;
    for (int i = 0; i < count; ++i) {
        const CellBar& bar = bars_[static_cast<std::size_t>(i)];
        const QRect r = barRect(i);
        p.setPen(QPen(screenColour(bar.colours.frame, pal), 1));
        p.setBrush(screenColour(bar.colours.background, pal));
        p.drawRect(r);
        const int filled = r.height() * std::clamp(bar.position, 0, kBarScale) / kBarScale;
        p.setPen(Qt::NoPen);
        p.setBrush(screenColour(bar.colours.bar, pal));
        p.drawRect(QRect(r.left() + 1, r.bottom() - filled + 1, r.width() - 1, filled));
    }
}

DiagramElement serviceElement(CircuitDiagram::Element e)
{
    using E = CircuitDiagram::Element;
    switch (e) {
    case E::Load:
        return DiagramElement::Load;
    case E::Source:
        return DiagramElement::Source;
    case E::DischargeSwitch:
        return DiagramElement::DischargeSwitch;
    case E::ChargeSwitch:
        return DiagramElement::ChargeSwitch;
    case E::Battery:
        return DiagramElement::Battery;
    case E::None:
        break;
    }
    return DiagramElement::Other;
}

} // namespace kapsorel::ui
