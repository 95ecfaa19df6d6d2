#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Takes the place of the desktop's handler for "http", "https", "ftp" and "file" addresses
// while it lives, and keeps every address handed over.
class UrlCapture : public QObject {
    Q_OBJECT

public:
    UrlCapture();
    ~UrlCapture() override;

    const QList<QUrl>& urls() const { return urls_; }
    // Each address as text, percent-decoding undone: what the user typed, if nothing was lost.
    QStringList addresses() const;

public slots:
    void open(const QUrl& url);

private:
    QList<QUrl> urls_;
};
