#pragma once

#include <QObject>

#include <memory>

class QDialog;

// The main window's menu with the About item. The window manager owns the real system menu, so
// a menu of the window's own stands in for it: "Close", a separator and the About item, opened by Alt+Space and by a right click on
// the window's background.
class SystemMenu : public QObject {
    Q_OBJECT

public:
    explicit SystemMenu(QDialog& window);  // lives no longer than the window
    ~SystemMenu() override;

    // Commands 16 to 31 show the About box modally; there is no other command of the program's.
    void systemCommand(int command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;  // the stand-in's right click

private:
    struct Platform;  // the platform's menu

    QDialog& window_;
    std::unique_ptr<Platform> platform_;
};

// Whether a system command is one of the About item's, 16 to 31.
bool isAboutCommand(int command);
