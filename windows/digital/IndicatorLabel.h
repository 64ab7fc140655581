#pragma once
// The ON/OFF indicator of one digital input or output: a black label reading "ON" in green or
// "OFF" in white. Output indicators are clicked to flip them.
#include <QColor>
#include <QLabel>

class IndicatorLabel : public QLabel {
    Q_OBJECT
  public:
    static inline const QColor kOnColor{0, 255, 0};
    static inline const QColor kOffColor{255, 255, 255};

    IndicatorLabel(const QString& name, bool clickable, QWidget* parent);

    // Caption and colour always together, so no label ever reads "OFF" in green.
    void ShowState(bool on);
    // An output counts as on when its caption reads exactly "ON".
    bool IsOn() const { return text() == QLatin1String("ON"); }
    QColor TextColor() const { return palette().color(QPalette::WindowText); }

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void SetTextColor(const QColor& color);
    bool clickable_;
};
