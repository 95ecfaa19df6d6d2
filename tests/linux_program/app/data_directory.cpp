#include "data_directory.h"

#include <QFile>

#include <stdexcept>

namespace {

const QString kDataFileName = QStringLiteral("nimbrel.nbd");

}  // namespace

DataDirectory::DataDirectory(const QByteArray& dataFile) : workingDirectory_(directory_.path())
{
    if (dataFile.isNull())
        return;
    QFile file(kDataFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(dataFile) != dataFile.size())
        throw std::runtime_error("cannot write the data file");
}

QByteArray DataDirectory::dataFile() const
{
    QFile file(kDataFileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
