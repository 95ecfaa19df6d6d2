#include "url_capture.h"

#include <QDesktopServices>

namespace {

const QStringList kSchemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),
                           QStringLiteral("file")};

}  // namespace

UrlCapture::UrlCapture()
{
    for (const QString& scheme : kSchemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

UrlCapture::~UrlCapture()
{
    for (const QString& scheme : kSchemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

QStringList UrlCapture::addresses() const
{
    QStringList texts;
    for (const QUrl& url : urls_)
        texts.append(QUrl::fromPercentEncoding(url.toEncoded()));
    return texts;
}

void UrlCapture::open(const QUrl& url)
{
    urls_.append(url);
}
