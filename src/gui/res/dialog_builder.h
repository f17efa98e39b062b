// dialog_builder.h - turns a DialogTemplate into the child widgets of a window.
//
//   baseUnitsFromMetrics(w52, h)  dialog base units from the width of "A..Za..z" and the height
//   dialogBaseUnits(font)         dialog base units of a font
//   dluToPixels(rect, units)      a rectangle in dialog units converted to pixels
//   dialogFont(tpl)               the font a template's window uses
//   buildWindow(window, tpl)      create every control of tpl in window, fix the window's size;
//                                 the labels naming edits and lists become their buddies
//   control<W>(window, id)        the control with that identifier (a direct child), or nullptr
//   controlId(widget)             the identifier a control was registered with (kNoId if none)
//   setControlId(widget, id)      register a widget made in code, so that control() finds it
//   setNamedBy(widget, namer) / namedBy(widget)   the control whose text names a control
//                                 without text of its own (Control::namedBy; 0 = none)
//   radioGroup(window, firstId)   the exclusive group a radio button starts (ids 0, 1, ...)
//   radioIndex(window, firstId)   index of the checked button of a group, -1 when none
//   setRadioIndex(window, firstId, index)  check button index (-1 clears the group)
//   A radio group's Tab stop is its checked button (its first while none is checked).
//
// Dialog units follow the Windows rules: base x is the average width of the 52 letters
// A..Z a..z rounded to a whole pixel, base y the character height; x pixels = dlu * baseX / 4,
// y pixels = dlu * baseY / 8, each rounded to the nearest pixel.
#pragma once

#include "gui/res/dialog_template.h"

#include <QRect>
#include <QString>
#include <QWidget>

class QButtonGroup;
class QFont;

namespace omniset::res {

struct BaseUnits {
    int x = 0;
    int y = 0;
};

BaseUnits baseUnitsFromMetrics(int width52, int height);
BaseUnits dialogBaseUnits(const QFont& font);
QRect dluToPixels(const DluRect& r, BaseUnits units);
QFont dialogFont(const DialogTemplate& tpl);

void buildWindow(QWidget* window, const DialogTemplate& tpl);

QString controlName(int id);
int controlId(const QObject* widget);
void setControlId(QWidget* widget, int id);
void setNamedBy(QWidget* widget, int namer);
int namedBy(const QObject* widget);

template <class W>
W* control(QWidget* window, int id) {
    return window->findChild<W*>(controlName(id), Qt::FindDirectChildrenOnly);
}

QButtonGroup* radioGroup(QWidget* window, int firstId);
int radioIndex(QWidget* window, int firstId);
void setRadioIndex(QWidget* window, int firstId, int index);

} // namespace omniset::res
