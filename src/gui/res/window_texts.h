// window_texts.h - setting a window's texts for the current LanguageMode.
//
//   applyTexts(window, table)          caption and control texts of the current language,
//                                      then the accessible names that follow them
//   refreshAccessibleNames(window)     each control with a namer (namedBy) gets the namer's
//                                      text as its accessible name, trailing colon dropped;
//                                      a value label gets "namer value"
//   applyItemTexts(window, table)      drop-down and list items of the current language,
//                                      selection kept
//   setControlText(window, id, text)   one control's text; true when it changed
//   widgetText(widget)                 the text a control shows (button, label, frame, edit)
//
// Every setter compares first and leaves an unchanged text alone, so that a repaint
// handler that sets all its texts causes no further repaint.
#pragma once

#include "gui/res/text_table.h"

#include <QString>

class QWidget;

namespace omniset::res {

void applyTexts(QWidget* window, TextTable table);
void refreshAccessibleNames(QWidget* window);
void applyItemTexts(QWidget* window, ItemTable table);
bool setControlText(QWidget* window, int id, const QString& text);
QString widgetText(const QWidget* widget);

} // namespace omniset::res
