// data_exchange.h - moving values between a window's controls and its members.
//
//   DataExchange dx(window, take)   take = controls to members (with validation),
//                                   otherwise members to controls (notifications blocked)
//   dx.text(id, value, maxChars)    edit or static text; maxChars > 0 checks the length
//   dx.byteText(id, bytes, maxChars)   the same for a record text held as bytes, one
//                                   character per byte (Latin-1)
//   dx.integer(id, value, min, max) edit holding an integer, checked against the range
//   dx.check(id, value)             check box: 0 or 1
//   dx.radio(firstId, index)        radio group: index of the checked button, -1 for none
//   dx.combo(id, index)             drop-down list: item index, -1 for none
//   dx.ok()                         false once a check failed: its message was shown, the
//                                   focus is on the offending control, nothing after it
//                                   was taken
//   takesValuesOnFocusLoss(control, event)   a FocusOut of control that should take the
//                                   window's values: not a switch to another window (a
//                                   message box, a popup), and not the focus going back to
//                                   the control whose check just failed (its message is
//                                   shown once, not again for the control losing the focus)
#pragma once

#include <QString>

#include <string>

class QEvent;
class QObject;
class QWidget;

namespace omniset {

class DataExchange {
  public:
    DataExchange(QWidget* window, bool take) : window_(window), take_(take) {}

    bool taking() const { return take_; }
    bool ok() const { return ok_; }

    void text(int id, QString& value, int maxChars = 0);
    void byteText(int id, std::string& value, int maxChars = 0);
    void integer(int id, int& value, int min, int max);
    void check(int id, int& value);
    void radio(int firstId, int& index);
    void combo(int id, int& index);

  private:
    QWidget* find(int id) const;
    void fail(QWidget* control, const QString& message, bool exclamation);

    QWidget* window_;
    bool take_;
    bool ok_ = true;
};

bool takesValuesOnFocusLoss(const QObject* control, const QEvent* event);

// The integer the text of an edit holds: optional blanks, sign and digits, optional blanks.
bool parseDialogInt(const QString& text, int& value);

} // namespace omniset
