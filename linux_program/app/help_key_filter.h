#pragma once

#include <QObject>

// F1, the help request of the main window and the About box. No help viewer that shows topics
// by number exists here, so the online help page is handed to the desktop with the topic's
// context number, 0x20000 plus the window's template number, as its fragment. Installed on
// the application.
class HelpKeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
