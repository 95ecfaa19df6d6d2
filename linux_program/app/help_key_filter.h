#pragma once

#include <QObject>

// F1, the help request of the main window and the About box: the window's help page, installed
// with the program, is handed to the desktop, which opens it in the browser. Installed on the
// application.
class HelpKeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
