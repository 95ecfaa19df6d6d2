#pragma once

#include "dialog_template.h"

#include <QHash>
#include <QRect>

class QDialog;
class QFont;
class QWidget;

// Converts dialog units to pixels with the base units of a dialog font: the average width of
// the 52 letters A-Z a-z and the font's height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    QRect toPixels(int x, int y, int width, int height) const;
    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

private:
    int baseWidth_;
    int baseHeight_;
};

// The template's font: the named family where installed, else the system's sans-serif.
QFont dialogFont(const DialogTemplate& dialogTemplate);

// The dialog property that holds the number of the template a dialog was built from.
inline constexpr const char* kTemplateIdProperty = "templateId";

// The property of each control built from a template that holds the control's id.
inline constexpr const char* kControlIdProperty = "controlId";

// Gives the dialog its caption, font and fixed size and creates the template's controls at
// their places, in tab order; a field is named by the label before it. Returns the controls
// that have an id, by id.
QHash<int, QWidget*> buildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);
