#pragma once
// The main window.

#include <QMainWindow>

class TForm4 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;
};
