#include "web_link.h"

#include "field_text.h"

#include <QDesktopServices>
#include <QUrl>

void openWebAddress(const std::string& address)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdU16String(editText(address))));
}
