#include "help_key_filter.h"

#include "dialog_builder.h"
#include "resource.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

namespace {

// The page of the window's help topic, or nothing for a window that has none.
QString helpPage(const QWidget* window)
{
    const int templateId = window ? window->property(kTemplateIdProperty).toInt() : 0;
    if (templateId == IDD_TRACKER_DIALOG)
        return QStringLiteral("main_window.htm");
    if (templateId == IDD_ABOUTBOX)
        return QStringLiteral("about_box.htm");
    return {};
}

// The page's file where the program is installed (share/nimbrel/help beside its bin folder),
// else in the build tree (help/ beside the program); empty where neither has it.
QString helpFile(const QString& page)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    for (const char* folder : {"../share/nimbrel/help/", "help/"}) {
        const QFileInfo file(programFolder.filePath(QLatin1String(folder) + page));
        if (file.isFile())
            return file.canonicalFilePath();
    }
    return {};
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
    const QString page = helpPage(window);
    if (page.isEmpty())
        return QObject::eventFilter(watched, event);

    const QString file = helpFile(page);
    if (file.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
        QMessageBox failure(QMessageBox::Warning, QCoreApplication::applicationName(),
                            QStringLiteral("Failed to launch help."), QMessageBox::Ok, window);
        failure.exec();
    }
    return true;
}
