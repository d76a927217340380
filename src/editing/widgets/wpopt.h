#pragma once
// The route options dialog: whether a route is drawn at every zoom and its opacity step.
//
// Use: TForm_wpoptions dialog(parent); set CheckBox1 and UpDown2; exec_modal(dialog); read them.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TForm_wpoptions : public QDialog {
    Q_OBJECT
public:
    explicit TForm_wpoptions(QWidget* parent = nullptr);

    void Button1Click();

    QLabel* Label2;
    QSpinBox* UpDown2; // 1..10, the opacity step + 1
    QCheckBox* CheckBox1;
    QPushButton* Button1;

protected:
    void showEvent(QShowEvent* event) override;
};
