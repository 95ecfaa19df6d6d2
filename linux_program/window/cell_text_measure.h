#pragma once

#include "text_measure.h"

#include <QFontMetricsF>

class QWidget;

// How the table view's cells draw a text: in the view's font, with the item delegate's room on
// either side.
class CellTextMeasure final : public TextMeasure {
public:
    explicit CellTextMeasure(const QWidget& view);

    double textWidth(std::u16string_view text) const override;
    double characterWidth(char16_t character) const override;
    int cellPadding() const override { return padding_; }

private:
    QFontMetricsF metrics_;
    int padding_;
};
