// templates.h - every window's template and its repaint texts.
//
//   kDetectTemplate / kDetectTexts, kDetectPortText      137 device detection
//   kGeneralTemplate / kGeneralTexts                     152 General information page
//   kTelPortTemplate / kTelPortTexts                     130 Telephone port page
//   kDataPortTemplate / kDataPortTexts / kDataPortItems  151 Data port page
//   kDataAdvTemplate / kDataAdvTexts / kDataAdvItems     159 data port advanced dialog
//   kTelAdvTemplate / kTelAdvTexts / kTelAdvItems        160 telephone port advanced dialog
//   kLoadTemplate / kLoadTexts / kLoadItems              145 load profile
//   kSaveTemplate / kSaveTexts / kSaveItems              146 save profile
//   kCurrentTemplate / kCurrentTexts                     148 confirm writing the current profile
//   kSavingTemplate / kSavingTexts                       143 "Saving profile" status window
//   kReadingTemplate / kReadingTexts, kPrepareTexts, kFinishingTexts
//                                                        144 reading / download status window
//   kDownloadTemplate / kDownloadTexts                   167 download progress window
//   kSheetTexts, kSheetTabs, kSheetButtonInitial         the main sheet (no template)
//   allTemplates(), findTemplate(number)                 every template, by number
//
// Templates carry the Chinese texts; the tables hold both languages for the repaint.
// A window's item table lists its drop-down lists whose items change with the language;
// the lists of 145 and 146 start empty and are filled from their item table.
#pragma once

#include "gui/res/dialog_template.h"
#include "gui/res/text_table.h"

#include <span>

namespace omniset::res {

extern const DialogTemplate kDetectTemplate;
extern const TextTable kDetectTexts;
extern const TextPair kDetectPortText; // "%d" is the port number

extern const DialogTemplate kGeneralTemplate;
extern const TextTable kGeneralTexts;

extern const DialogTemplate kTelPortTemplate;
extern const TextTable kTelPortTexts;

extern const DialogTemplate kDataPortTemplate;
extern const TextTable kDataPortTexts;
extern const ItemTable kDataPortItems;

extern const DialogTemplate kDataAdvTemplate;
extern const TextTable kDataAdvTexts;
extern const ItemTable kDataAdvItems;

extern const DialogTemplate kTelAdvTemplate;
extern const TextTable kTelAdvTexts;
extern const ItemTable kTelAdvItems;

extern const DialogTemplate kLoadTemplate;
extern const TextTable kLoadTexts;
extern const ItemTable kLoadItems;

extern const DialogTemplate kSaveTemplate;
extern const TextTable kSaveTexts;
extern const ItemTable kSaveItems;

extern const DialogTemplate kCurrentTemplate;
extern const TextTable kCurrentTexts;

extern const DialogTemplate kSavingTemplate;
extern const TextTable kSavingTexts;

extern const DialogTemplate kReadingTemplate;
extern const TextTable kReadingTexts;   // reading a profile
extern const TextTable kPrepareTexts;   // preparing a download
extern const TextTable kFinishingTexts; // after the transfer

extern const DialogTemplate kDownloadTemplate;
extern const TextTable kDownloadTexts;

// The main sheet: buttons 2001 load, 2002 save, 2003 language, 1 OK, 2 Exit.
inline constexpr int kLoadButtonId = 2001;
inline constexpr int kSaveButtonId = 2002;
inline constexpr int kLanguageButtonId = 2003;
extern const TextTable kSheetTexts;
extern const std::span<const TextPair> kSheetTabs;      // tabs 0, 1, 2
extern const TextTable kSheetButtonInitial;             // texts before the first repaint

std::span<const DialogTemplate* const> allTemplates();
const DialogTemplate* findTemplate(int number);

} // namespace omniset::res
