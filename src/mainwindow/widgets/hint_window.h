#pragma once
// The application's hint window: a borderless white popup on top of every window, shown without
// taking the focus. A text beginning with "@" is a plain one-line hint (the "@" not shown);
// any other text is a point's name, shown with the content of the shared hint record: category
// icon and title, the name in its colour, the level boxes and the word-wrapped description.

#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

class TCustomHint : public QWidget {
    Q_OBJECT
public:
    TCustomHint();

    const std::vector<QPixmap>* icons = nullptr; // tree icons, 16 x 16

    // Sizes the window for the text from the top-left corner of `rect`, keeps it on the desktop
    // of that corner, and shows it.
    void ActivateHintData(const QRect& rect, const QString& text);
    // The rectangle the text takes word-wrapped in `max_width`, 10 pixels higher when not empty.
    QRect CalcHintRect(int max_width, const QString& text) const;

    QString caption() const { return caption_; }

    // Keeps a rectangle of the given size with its top-left corner at `at` inside the desktop.
    static QPoint place_on_desktop(QPoint at, QSize size, const QRect& desktop);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

// A widget whose hint its own handlers show: the hint machinery does not show it on a pause.
constexpr char kManualHint[] = "manual_hint";
