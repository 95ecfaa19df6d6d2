#include "field_text.h"

#include <algorithm>

namespace {

QString fromBytes(std::string_view bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool continuesCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

QString editText(std::string_view bytes)
{
    return fromBytes(bytes);
}

std::string fieldBytes(EntryField field, const QString& text)
{
    QByteArray bytes = text.toLocal8Bit();
    if (field == EntryField::Notes)
        bytes.replace("\r\n", "\n").replace('\n', "\r\n");
    return bytes.toStdString();
}

// A character takes at most four bytes, and a line break two that show as one character.
std::string_view cellBytes(std::string_view bytes)
{
    const auto enough = static_cast<std::size_t>(4 * kCellCharacters + 4);
    if (bytes.size() <= enough)
        return bytes;
    std::size_t cut = enough;
    while (cut > enough - 4 && continuesCharacter(bytes[cut]))
        --cut;
    return bytes.substr(0, cut);
}

QString cellText(EntryField field, std::string_view bytes)
{
    const std::string_view shown = cellBytes(bytes);
    QString text = fromBytes(shown);
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QString(kReturnSign));
        text.replace(u'\r', kReturnSign);
        text.replace(u'\n', kReturnSign);
    }
    if (text.size() > kCellCharacters || shown.size() < bytes.size()) {
        qsizetype kept = std::min(text.size(), kCellCharacters);
        if (kept > 0 && text.at(kept - 1).isHighSurrogate())
            --kept;
        text.truncate(kept);
        text.append(kEllipsis);
    }
    return text;
}
