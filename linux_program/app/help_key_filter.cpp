#include "help_key_filter.h"

#include "dialog_builder.h"
#include "resource.h"
#include "web_link.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

namespace {

constexpr int kHelpContextBase = 0x20000;

// The context number of the window's help topic, or 0 for a window that has none.
int helpContext(const QWidget* window)
{
    const int templateId = window ? window->property(kTemplateIdProperty).toInt() : 0;
    if (templateId != IDD_TRACKER_DIALOG && templateId != IDD_ABOUTBOX)
        return 0;
    return kHelpContextBase + templateId;
}

}  // namespace

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1
        || (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return QObject::eventFilter(watched, event);
    QWidget* window = QApplication::activeWindow();
    const int context = helpContext(window);
    if (context == 0)
        return QObject::eventFilter(watched, event);

    QUrl topic(QString::fromLatin1(kHelpAddress));
    topic.setFragment(QString::number(context));
    if (!QDesktopServices::openUrl(topic)) {
        QMessageBox failure(QMessageBox::Warning, QCoreApplication::applicationName(),
                            QStringLiteral("Failed to launch help."), QMessageBox::Ok, window);
        failure.exec();
    }
    return true;
}
