#include "field_text.h"

namespace {

constexpr char16_t kReturnSign = u'\u21b5';

QString fromBytes(std::string_view bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
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

QString cellText(EntryField field, std::string_view bytes)
{
    QString text = fromBytes(bytes);
    if (field == EntryField::Notes) {
        text.replace(QStringLiteral("\r\n"), QString(kReturnSign));
        text.replace(u'\r', kReturnSign);
        text.replace(u'\n', kReturnSign);
    }
    return text;
}
