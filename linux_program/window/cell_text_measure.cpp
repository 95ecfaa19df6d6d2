#include "cell_text_measure.h"

#include <QStyle>
#include <QWidget>

CellTextMeasure::CellTextMeasure(const QWidget& view)
    : metrics_(view.font()),
      padding_(2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1))
{
}

double CellTextMeasure::textWidth(std::u16string_view text) const
{
    const QString shown = QString::fromRawData(reinterpret_cast<const QChar*>(text.data()),
                                               static_cast<qsizetype>(text.size()));
    return metrics_.horizontalAdvance(shown);
}

double CellTextMeasure::characterWidth(char16_t character) const
{
    return metrics_.horizontalAdvance(QChar(character));
}
