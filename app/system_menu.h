#pragma once

#include <QObject>

#ifdef _WIN32
#include <memory>

class QAbstractNativeEventFilter;
#endif
class QDialog;
class QMenu;

// The main window's system menu with the About item. On Windows it is the window's own system
// menu; elsewhere the window manager owns that menu, so a menu of the window's own stands in
// for it: "Close", a separator and the About item, opened by Alt+Space and by a right click on
// the window's background.
class SystemMenu : public QObject {
    Q_OBJECT

public:
    explicit SystemMenu(QDialog& window);  // lives no longer than the window
    ~SystemMenu() override;

    // Commands 16 to 31 show the About box modally; there is no other command of the program's.
    void systemCommand(int command);

#ifndef _WIN32
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
#endif

private:
    QDialog& window_;
#ifdef _WIN32
    std::unique_ptr<QAbstractNativeEventFilter> systemCommands_;  // the window's WM_SYSCOMMAND
#else
    QMenu* menu_;  // a child of the window
#endif
};
