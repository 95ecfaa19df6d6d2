#include "field_text.h"

#include "windows_1252.h"

#include <QStringDecoder>

#include <algorithm>
#include <string_view>

namespace {

// UTF-8 keeps a byte order mark as a character, so that an edit gives it back.
QString decode(std::string_view bytes, bool utf8)
{
    if (!utf8) {
        QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
        fromWindows1252(bytes, reinterpret_cast<char16_t*>(text.data()));
        return text;
    }
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace

// Each over-long line is decoded from its beginning only, so that a huge value costs no more
// than its first bytes.
QString editText(std::string_view bytes)
{
    const bool utf8 = isUtf8(bytes);
    if (!hasOverlongLine(bytes))
        return decode(bytes, utf8);
    QString text;
    while (!bytes.empty()) {
        const std::size_t length = lineLength(bytes);
        text += decode(beginning(bytes.substr(0, length), kLongestFieldLine), utf8);
        if (length > kLongestFieldLine)
            text += kEllipsis;
        const std::size_t next = std::min(length + 1, bytes.size());
        text += decode(bytes.substr(length, next - length), utf8);  // the line break
        bytes.remove_prefix(next);
    }
    return text;
}

std::string fieldBytes(EntryField field, QString text, std::string_view shownBytes)
{
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\n', QStringLiteral("\r\n"));
    }
    if (!isUtf8(shownBytes)) {
        const std::u16string_view characters(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<std::size_t>(text.size()));
        if (std::optional<std::string> bytes = toWindows1252(characters))
            return *std::move(bytes);
    }
    return text.toStdString();
}

// The shown part is decoded as the whole value is, so that the cell agrees with the field.
QString cellText(EntryField field, std::string_view bytes)
{
    const std::string_view shown = cellBytes(bytes);
    QString text = decode(shown, isUtf8(bytes));
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QString(kReturnSign));
        text.replace(u'\r', kReturnSign);
        text.replace(u'\n', kReturnSign);
    }
    if (text.size() > kCellCharacters || shown.size() < bytes.size()) {
        qsizetype kept = std::min<qsizetype>(text.size(), kCellCharacters);
        if (kept > 0 && text.at(kept - 1).isHighSurrogate())
            --kept;
        text.truncate(kept);
        text.append(kEllipsis);
    }
    return text;
}
