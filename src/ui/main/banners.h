// The signalling banner (`balarm`) and the choice prompt (`bvolba` with "OK" and "Konec")
// over the circuit diagram: sized from their text by one rule, placed where they cover no
// value label, and laid out again whenever the diagram changes size.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

class QFrame;
class QLabel;
class QPushButton;
class QSoundEffect;
class QRect;

namespace kapsorel::ui {

class CircuitDiagram;

class Banners final : public QObject {
    Q_OBJECT
  public:
    explicit Banners(CircuitDiagram& diagram);

    // The alarm sound, held in memory; without the file nothing plays.
    void loadAlarmSound(const std::filesystem::path& wav);
    // Asynchronous; without a sound device nothing plays and nothing fails.
    void playAlarm();

    void showAlarm(const QString& text);
    void hideAlarm();
    void raiseAlarm();
    bool alarmShown() const;

    void showQuestion(const QString& text);
    void hideQuestion();
    bool questionShown() const;

    // Sizes and places both banners for the diagram as it is now.
    void layOut();

  signals:
    void alarmClicked();
    void questionAnswered(bool ok);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int bannerWidth(const QString& text, const QFont& font) const;
    // The first place from `top` down where `size` covers no value label and not `avoid`.
    QPoint freePlace(QSize size, int top, const QRect& avoid) const;

    CircuitDiagram& diagram_;
    QPushButton* alarm_ = nullptr;
    QFrame* question_ = nullptr;
    QLabel* questionText_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* end_ = nullptr;
    QSoundEffect* sound_ = nullptr;
};

} // namespace kapsorel::ui
