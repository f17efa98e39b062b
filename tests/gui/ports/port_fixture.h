// port_fixture.h - records and widget helpers shared by the port page tests.
//
//   validRecord(length, seed)   every listed field at a valid value (asynchronous data port,
//                               manual dialling), every unlisted byte random
//   syncAutoDialRecord(...)     the same with a synchronous port dialling automatically
//   Bytes                       expected writes: set(offset, v), text(offset, s) (with its
//                               terminating zero), zero(offset, n)
//   unexpectedBytes(before, after, expected)   "offset: was -> now" for every byte that is not
//                               as expected (empty when the packing wrote exactly those)
//   click / type / paste / pick (window, id, ...)   act on a control as the user does
//   lineEdit(window, id), button(window, id), combo(window, id)
#pragma once

#include "core/record/profile_layout.h"

#include <QString>
#include <QStringList>

#include <map>
#include <string>

class QWidget;
class QLineEdit;
class QAbstractButton;
class QComboBox;

namespace omniset::test {

ProfileRecord validRecord(int length, unsigned seed);
ProfileRecord syncAutoDialRecord(int length, unsigned seed);

struct Bytes {
    std::map<int, int> writes;
    Bytes& set(int offset, int value) {
        writes[offset] = value;
        return *this;
    }
    Bytes& text(int offset, const std::string& s) {
        for (std::size_t i = 0; i < s.size(); ++i) writes[offset + int(i)] = static_cast<unsigned char>(s[i]);
        writes[offset + int(s.size())] = 0;
        return *this;
    }
    Bytes& zero(int offset, int count) {
        for (int i = 0; i < count; ++i) writes[offset + i] = 0;
        return *this;
    }
};

QStringList unexpectedBytes(const ProfileRecord& before, const ProfileRecord& after,
                            const Bytes& expected);

QLineEdit* lineEdit(QWidget* window, int id);
QAbstractButton* button(QWidget* window, int id);
QComboBox* combo(QWidget* window, int id);
void click(QWidget* window, int id);
void type(QWidget* window, int id, const QString& text);  // replaces the text, key by key
void paste(QWidget* window, int id, const QString& text); // replaces it through the clipboard
void pick(QWidget* window, int id, int index);

} // namespace omniset::test
