#pragma once
// A small custom-painted progress bar: a framed track and a vertically shaded bar, painted into
// a 32-bit buffer.

#include <QColor>
#include <QWidget>

class QImage;

class TG32_ProgressBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(int Contrast READ Contrast WRITE setContrast)
    Q_PROPERTY(bool Framed READ Framed WRITE setFramed)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)

public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    // 150 x 16 pixels; the track in the palette's shadow colour, the bar in its button colour.
    explicit TG32_ProgressBar(QWidget* parent = nullptr);

    QColor BackColor() const { return back_color_; }
    void setBackColor(const QColor& value);
    TBorderStyle BorderStyle() const { return border_style_; }
    void setBorderStyle(TBorderStyle value); // stored only
    int Contrast() const { return contrast_; }
    void setContrast(int value);
    bool Framed() const { return framed_; }
    void setFramed(bool value);
    int Max() const { return max_; }
    void setMax(int value);
    int Min() const { return min_; }
    void setMin(int value);
    int Position() const { return position_; }
    // A move of 1 percent of the range, or to or from the end, repaints at once, so progress
    // shows while the caller keeps the thread busy; a smaller move waits for the next paint, the
    // same value does nothing.
    void setPosition(int value);
    QColor Color() const { return color_; }
    void setColor(const QColor& value);

    // Position 0, centred horizontally over the map view, 40 pixels below its middle, shown.
    void show_over(const QWidget& map_view);

    // Paints the whole control into a 32-bit buffer of its size.
    void DoPaintBuffer(QImage& buffer) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor back_color_;
    TBorderStyle border_style_ = bsNone;
    int contrast_ = 64;
    bool framed_ = true;
    int max_ = 100;
    int min_ = 0;
    int position_ = 0;
    int painted_position_ = 0; // the position the bar last showed
    QColor color_;
};
