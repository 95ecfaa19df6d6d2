#include "field_text.h"

#include "windows_1252.h"

#include <QStringDecoder>

namespace {

constexpr char16_t kReturnSign = u'\u21b5';

// The text of valid UTF-8, or nothing.
std::optional<QString> fromUtf8(std::string_view bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless
                               | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

}  // namespace

QString editText(const std::string& bytes)
{
    std::optional<QString> text = fromUtf8(bytes);
    return text ? *std::move(text) : fromWindows1252(bytes);
}

std::string fieldBytes(EntryField field, QString text, const std::string& shownBytes)
{
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\n', QStringLiteral("\r\n"));
    }
    if (!fromUtf8(shownBytes)) {
        if (std::optional<std::string> bytes = toWindows1252(text))
            return *std::move(bytes);
    }
    return text.toStdString();
}

QString cellText(EntryField field, const std::string& bytes)
{
    QString text = editText(bytes);
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QString(kReturnSign));
        text.replace(u'\r', kReturnSign);
        text.replace(u'\n', kReturnSign);
    }
    return text;
}
