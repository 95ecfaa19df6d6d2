#pragma once

#include <QDialog>

// The About box: the program's version and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // Opens centred over the parent's window and inside the screen's work area.
    explicit CAboutDlg(QWidget* parent = nullptr);

private:
    void placeOver(const QWidget* window);
};
