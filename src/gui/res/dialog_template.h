// dialog_template.h - windows described as data, the way resource templates are.
//
//   DluRect            position and size of a control in dialog units
//   Kind               what a control is (static text, edit, radio button ...)
//   Style              control styles: disabled, hidden, digits only, byte text, read-only,
//                      group start ...
//   Control            one control: identifier, kind, rectangle, Chinese template text, styles,
//                      and for a control without a text of its own the control whose text
//                      names it for assistive technology (Control::by(id))
//   kNamedByCaption / kNamedByProgram   namers other than a control: the window's caption,
//                      the program's name (its icon)
//   DialogTemplate     one window: number, size in dialog units, Chinese caption, font, flags
//   kNoId              identifier of controls the code never addresses (icons, frames)
//
// The builder (dialog_builder.h) turns a DialogTemplate into Qt widgets. All tables are
// constexpr data; texts are UTF-8 literals.
#pragma once

#include <cstdint>
#include <span>

namespace omniset::res {

// Identifier of controls that are never looked up (like the static -1 of resource files).
inline constexpr int kNoId = -1;

// Control::namedBy: 0 = the control's own text; a control id (the label beside it); or
// one of these.
inline constexpr int kNamedByCaption = -2;
inline constexpr int kNamedByProgram = -3;

struct DluRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

enum class Kind {
    StaticText,    // a label, relabelled on repaint
    StaticValue,   // a label showing a value (never relabelled)
    GroupBox,      // a frame with a title; empty title = plain frame
    PushButton,
    DefPushButton, // the button that Return presses
    CheckBox,
    RadioButton,   // the first button of a group carries GroupStart
    Edit,          // a one-line edit; DigitsOnly, ReadOnly and maxLength apply
    DropList,      // a drop-down list combo box (no typing)
    ListBox,
    ProgressBar,
    Icon,          // the program icon
};

// Control styles (bit flags).
enum Style : std::uint32_t {
    None = 0,
    Disabled = 1u << 0,
    Hidden = 1u << 1,
    DigitsOnly = 1u << 2,  // edit: the keyboard types digits only
    ReadOnly = 1u << 3,    // edit
    GroupStart = 1u << 4,  // starts a new group (radio buttons of one group follow it)
    TabStop = 1u << 5,     // reached with the Tab key
    AlignCenter = 1u << 6, // static text
    AlignRight = 1u << 7,  // static text
    ByteText = 1u << 8,    // edit: only characters a record byte holds (Latin-1)
};

struct Control {
    int id = kNoId;
    Kind kind = Kind::StaticText;
    DluRect rect;
    const char* text = ""; // Chinese template text
    std::uint32_t style = None;
    int maxLength = 0;                     // edit: 0 = no limit
    std::span<const char* const> items {}; // drop-down list: Chinese items
    int namedBy = 0;                       // see kNamedByCaption

    // The same control, named by the text of control `namer` (a label beside it).
    constexpr Control by(int namer) const {
        Control c = *this;
        c.namedBy = namer;
        return c;
    }
};

// Window flags (bit flags).
enum WindowFlag : std::uint32_t {
    Page = 1u << 0,         // a property page (child of the sheet, no title bar)
    SysMenu = 1u << 1,      // has a close box
    CenterScreen = 1u << 2, // centred on the screen when built
    VisibleAtCreate = 1u << 3, // the window shows itself as soon as it is created
};

struct DialogTemplate {
    int number = 0;
    int width = 0;  // dialog units
    int height = 0; // dialog units
    const char* caption = ""; // Chinese caption
    int pointSize = 9;
    std::uint32_t flags = 0;
    std::span<const Control> controls;
};

// Short constructors for the tables: the kinds that take the focus get a tab stop.
constexpr Control label(int id, DluRect r, const char* zh, std::uint32_t style = None) {
    return {id, Kind::StaticText, r, zh, style};
}
constexpr Control value(int id, DluRect r) { return {id, Kind::StaticValue, r, ""}; }
constexpr Control group(int id, DluRect r, const char* zh) { return {id, Kind::GroupBox, r, zh}; }
constexpr Control button(int id, DluRect r, const char* zh, std::uint32_t style = None) {
    return {id, Kind::PushButton, r, zh, style | TabStop};
}
constexpr Control defButton(int id, DluRect r, const char* zh) {
    return {id, Kind::DefPushButton, r, zh, TabStop};
}
constexpr Control check(int id, DluRect r, const char* zh = "") {
    return {id, Kind::CheckBox, r, zh, TabStop};
}
constexpr Control radioFirst(int id, DluRect r, const char* zh) {
    return {id, Kind::RadioButton, r, zh, GroupStart | TabStop};
}
constexpr Control radio(int id, DluRect r, const char* zh, std::uint32_t style = None) {
    return {id, Kind::RadioButton, r, zh, style};
}
constexpr Control edit(int id, DluRect r, std::uint32_t style = None, int maxLength = 0) {
    return {id, Kind::Edit, r, "", style | TabStop, maxLength};
}
constexpr Control dropList(int id, DluRect r, std::span<const char* const> zhItems = {}) {
    return {id, Kind::DropList, r, "", TabStop, 0, zhItems};
}
constexpr Control progress(int id, DluRect r) { return {id, Kind::ProgressBar, r, ""}; }
constexpr Control icon(DluRect r) { return Control{kNoId, Kind::Icon, r, ""}.by(kNamedByProgram); }

} // namespace omniset::res
