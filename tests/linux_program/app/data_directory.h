#pragma once

#include "temporary_directory.h"

#include <QByteArray>

// A fresh directory, made the working directory while the object lives, holding the data file
// with the given bytes, or no data file when they are null.
class DataDirectory {
public:
    explicit DataDirectory(const QByteArray& dataFile = {});

    // The data file's bytes as they are now, or "(missing)".
    QByteArray dataFile() const;

private:
    TemporaryDirectory directory_;
    WorkingDirectory workingDirectory_;
};
